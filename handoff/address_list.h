#pragma once
// The recipients of the draft's "To:" and "Cc:" header lines, as the mail's address
// lists spell them: display names, quoted strings (commas inside them included),
// angle addresses, comments, groups and folded continuation lines. Text is Shift-JIS
// and is walked by characters, so a trail byte 0x5C or 0x40 is never taken for "\" or
// "@".
//
// Encoded words ("=?charset?B?...?=") are left as they stand: the draft comes from a
// mail client that shows its user decoded text, and a name that still carries one
// reaches the next mail client unchanged, which can decode it as well as we could.

#include <string>
#include <string_view>
#include <vector>

namespace fudekko {

struct Mailbox {
  std::string name;     // the display name, unquoted; empty when there is none
  std::string address;  // as written, without the angle brackets
  friend bool operator==(const Mailbox&, const Mailbox&) = default;
};

// The recipient classes, numbered as Simple MAPI numbers them.
enum class RecipientClass : unsigned long { To = 1, Cc = 2 };

struct Recipient {
  RecipientClass recipientClass = RecipientClass::To;
  Mailbox mailbox;
  friend bool operator==(const Recipient&, const Recipient&) = default;
};

// Every mailbox of an address list (a field's body after its colon, unfolded), in
// order. Commas and semicolons outside quoted strings, comments and angle brackets
// separate mailboxes; a group ("name: a, b;") gives its members; an element without
// any address text (",," or "undisclosed-recipients:;") gives nothing. Without angle
// brackets the address is the element's text without comments and blanks, and a
// comment gives the name ("a@example.jp (Name)"). Unclosed quotes, comments and
// angle brackets end at the end of the list; text in an unclosed quote stays the
// address as written, for the mail client's compose window to show the user. Time is
// linear in the list's length.
std::vector<Mailbox> parseAddressList(std::string_view list);

// The recipients of every "To:" and "Cc:" header line (field names in any letter
// case, blanks allowed before the colon), each field with the continuation lines that
// follow it (lines beginning with a blank or a tab), in the order of the lines.
std::vector<Recipient> recipientsOfHeaderLines(const std::vector<std::string>& headerLines);

}  // namespace fudekko
