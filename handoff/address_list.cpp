#include "handoff/address_list.h"

#include <optional>

#include "common/shift_jis.h"

namespace fudekko {

namespace {

bool isBlank(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return value <= 0x20 || value == 0x7F;  // control bytes, CR and LF count as blanks
}

std::string trimmed(const std::string& text) {
  // A trail byte is never below 0x40, so cutting blanks byte-wise splits no character.
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  return text.substr(begin, end - begin);
}

// The address inside angle brackets without an obsolete source route ("@a,@b:x@y").
std::string withoutRoute(std::string address) {
  if (!address.empty() && address[0] == '@') {
    const std::size_t colon = address.rfind(':');  // 0x3A is never a trail byte
    if (colon != std::string::npos) address.erase(0, colon + 1);
  }
  return address;
}

// One element of the list (a mailbox, or nothing) as the walk collects it.
class Element {
 public:
  // Text of the display name: words joined by one blank, quoted strings unquoted.
  void addNameText(std::string_view character) {
    if (spaceDue_ && !name_.empty()) name_ += ' ';
    spaceDue_ = false;
    name_ += character;
  }
  void nameBlank() { spaceDue_ = true; }

  // Text outside comments: the address when there are no angle brackets.
  void addPlainText(std::string_view character) { plain_ += character; }
  void addAngleText(std::string_view character) { angle_ += character; }
  void openAngle() { hasAngle_ = true; }
  void addCommentText(std::string_view character) { comment_ += character; }
  void commentBlank() {
    if (!comment_.empty()) comment_ += ' ';
  }
  void endComment() { commentDone_ = !comment_.empty(); }
  bool collectsComment() const { return !commentDone_; }

  std::optional<Mailbox> finish() const {
    Mailbox mailbox;
    if (hasAngle_) {
      mailbox.address = withoutRoute(angle_);
      mailbox.name = trimmed(name_);
      if (mailbox.name.empty()) mailbox.name = trimmed(comment_);
    } else {
      mailbox.address = plain_;
      mailbox.name = trimmed(comment_);
    }
    if (mailbox.address.empty()) return std::nullopt;
    return mailbox;
  }

 private:
  std::string name_;
  bool spaceDue_ = false;
  std::string plain_;
  std::string angle_;
  bool hasAngle_ = false;
  std::string comment_;
  bool commentDone_ = false;
};

// Walks an address list character by character, with the few states the syntax has.
class AddressListParser {
 public:
  explicit AddressListParser(std::string_view list) : list_(list) {}

  std::vector<Mailbox> run() {
    while (at_ < list_.size()) {
      const std::string_view character = next();
      // A two-byte character is never one of the syntax's marks.
      const char c = character.size() == 1 ? character[0] : 'x';
      if (commentDepth_ > 0) {
        onCommentCharacter(character, c);
      } else if (inQuotes_) {
        onQuotedCharacter(character, c);
      } else if (c == '(') {
        commentDepth_ = 1;
      } else if (c == '"') {
        inQuotes_ = true;
        if (inAngle_) {
          element_.addAngleText(character);
        } else {
          element_.addPlainText(character);
          element_.addNameText("");
        }
      } else if (inAngle_) {
        if (c == '>') {
          inAngle_ = false;
          afterAngle_ = true;
        } else if (!isBlank(c)) {
          element_.addAngleText(character);
        }
      } else if (c == ',' || c == ';') {
        finishElement();
      } else if (c == ':' && !afterAngle_) {
        element_ = Element();  // a group: its name is no mailbox
      } else if (afterAngle_) {
        // Text after the closing bracket belongs to no part of the mailbox.
      } else if (c == '<') {
        inAngle_ = true;
        element_.openAngle();
      } else if (isBlank(c)) {
        element_.nameBlank();
      } else {
        element_.addPlainText(character);
        element_.addNameText(character);
      }
    }
    finishElement();
    return std::move(mailboxes_);
  }

 private:
  std::string_view next() {
    const std::size_t length = sjisCharLength(list_, at_);
    const std::string_view character = list_.substr(at_, length);
    at_ += length;
    return character;
  }

  // The character after a backslash, taken as it stands (none at the end).
  std::string_view escaped() { return at_ < list_.size() ? next() : std::string_view(); }

  void onCommentCharacter(std::string_view character, char c) {
    if (c == '\\') {
      character = escaped();
    } else if (c == '(') {
      ++commentDepth_;
    } else if (c == ')' && --commentDepth_ == 0) {
      element_.endComment();
      return;
    }
    if (!element_.collectsComment() || character.empty()) return;
    if (character.size() == 1 && isBlank(character[0])) {
      element_.commentBlank();
    } else {
      element_.addCommentText(character);
    }
  }

  void onQuotedCharacter(std::string_view character, char c) {
    if (c == '"') {
      inQuotes_ = false;
      written(character);
      return;
    }
    std::string_view text = character;
    if (c == '\\') {
      written(character);
      text = escaped();
    }
    written(text);
    if (inAngle_ || text.empty()) return;
    element_.addNameText(text.size() == 1 && isBlank(text[0]) ? " " : text);
  }

  // Quoted text as written, for the address: quotes and backslashes stay.
  void written(std::string_view character) {
    if (character.size() == 1 && isBlank(character[0])) character = " ";
    if (inAngle_) {
      element_.addAngleText(character);
    } else {
      element_.addPlainText(character);
    }
  }

  void finishElement() {
    if (auto mailbox = element_.finish()) mailboxes_.push_back(std::move(*mailbox));
    element_ = Element();
    inAngle_ = false;
    afterAngle_ = false;
    inQuotes_ = false;
    commentDepth_ = 0;
  }

  std::string_view list_;
  std::size_t at_ = 0;
  Element element_;
  std::vector<Mailbox> mailboxes_;
  bool inQuotes_ = false;
  bool inAngle_ = false;
  bool afterAngle_ = false;
  std::size_t commentDepth_ = 0;
};

bool startsWithFolding(const std::string& line) {
  return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

// The recipient class of a "To:" or "Cc:" line and where its list begins.
std::optional<std::pair<RecipientClass, std::size_t>> recipientField(const std::string& line) {
  const auto lower = [&](std::size_t at) {
    const char c = line[at];
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  };
  if (line.size() < 3) return std::nullopt;
  std::optional<RecipientClass> kind;
  if (lower(0) == 't' && lower(1) == 'o') kind = RecipientClass::To;
  if (lower(0) == 'c' && lower(1) == 'c') kind = RecipientClass::Cc;
  if (!kind) return std::nullopt;
  std::size_t at = 2;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  if (at >= line.size() || line[at] != ':') return std::nullopt;
  return std::pair{*kind, at + 1};
}

}  // namespace

std::vector<Mailbox> parseAddressList(std::string_view list) {
  return AddressListParser(list).run();
}

std::vector<Recipient> recipientsOfHeaderLines(const std::vector<std::string>& headerLines) {
  std::vector<Recipient> recipients;
  for (std::size_t i = 0; i < headerLines.size(); ++i) {
    const auto field = recipientField(headerLines[i]);
    if (!field) continue;
    // Unfolding drops the line break and keeps the blank that begins the next line.
    std::string list = headerLines[i].substr(field->second);
    while (i + 1 < headerLines.size() && startsWithFolding(headerLines[i + 1])) {
      list += headerLines[++i];
    }
    for (Mailbox& mailbox : parseAddressList(list)) {
      recipients.push_back({field->first, std::move(mailbox)});
    }
  }
  return recipients;
}

}  // namespace fudekko
