// The "To:" and "Cc:" lines of a draft, which anyone who wrote to the user controls:
// the address-list parser that turns them into the default mail client's recipients.

#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "handoff/address_list.h"

using namespace fudekko;

namespace {

bool isControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

bool onlyOf(const std::string& text, std::string_view allowed) {
  for (const char c : text) {
    const bool alphanumeric =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!alphanumeric && allowed.find(c) == std::string_view::npos) return false;
  }
  return true;
}

// A mailbox that a plain list can spell again: `"name" <address>`.
bool simple(const Mailbox& mailbox) {
  return onlyOf(mailbox.address, ".@_-+") && mailbox.address[0] != '@' &&
         onlyOf(mailbox.name, " .,;:<>()@_-+'");
}

void checkMailboxes(const std::vector<Mailbox>& mailboxes, std::size_t inputSize) {
  std::size_t produced = 0;
  for (const Mailbox& mailbox : mailboxes) {
    FUZZ_CHECK(!mailbox.address.empty(), "a mailbox without an address");
    // Line breaks and control bytes would reach the mail client's fields.
    for (const std::string* text : {&mailbox.name, &mailbox.address}) {
      for (const char c : *text) FUZZ_CHECK(!isControl(c), "a control byte in a mailbox");
    }
    produced += mailbox.name.size() + mailbox.address.size();
  }
  // Each input byte lands at most in the name and in the address.
  FUZZ_CHECK(produced <= 2 * inputSize, "more text out than came in");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view list = fuzz::asText(data, size);
  const std::vector<Mailbox> mailboxes = parseAddressList(list);
  checkMailboxes(mailboxes, size);

  // The simple mailboxes, spelled again as a list, come back as they were.
  std::vector<Mailbox> simpleOnes;
  std::string spelled;
  for (const Mailbox& mailbox : mailboxes) {
    if (!simple(mailbox)) continue;
    simpleOnes.push_back(mailbox);
    if (!spelled.empty()) spelled += ", ";
    if (!mailbox.name.empty()) spelled += "\"" + mailbox.name + "\" ";
    spelled += "<" + mailbox.address + ">";
  }
  FUZZ_CHECK(parseAddressList(spelled) == simpleOnes, "a simple mailbox does not parse back");

  // The same bytes as header lines, folded continuation lines and all.
  std::vector<std::string> lines;
  std::string_view rest = list;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    lines.emplace_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  std::vector<Mailbox> recipients;
  for (Recipient& recipient : recipientsOfHeaderLines(lines)) {
    FUZZ_CHECK(recipient.recipientClass == RecipientClass::To ||
                   recipient.recipientClass == RecipientClass::Cc,
               "a recipient of neither class");
    recipients.push_back(std::move(recipient.mailbox));
  }
  checkMailboxes(recipients, size);
  return 0;
}
