// Message boxes: the one piece of user interface that diagnostics need
// before the window models exist. Headless, a box is printed to stderr as
// its caption and text; tests keep the boxes in a list.
#ifndef OLCONN97_OUTSIDE_UI_MESSAGE_BOX_H_
#define OLCONN97_OUTSIDE_UI_MESSAGE_BOX_H_

#include <cstdio>
#include <string>
#include <vector>

namespace olconn97::ui {

enum class MessageIcon { kNone, kCritical, kQuestion, kExclamation, kInformation };

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::kNone;
  friend bool operator==(const MessageBoxRecord&, const MessageBoxRecord&) = default;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a box with a single OK button and returns when it is dismissed.
  virtual void Show(const MessageBoxRecord& box) = 0;
};

// Prints "caption: text" to a stream (stderr by default).
class PrintedMessageBoxes : public MessageBoxes {
 public:
  explicit PrintedMessageBoxes(std::FILE* stream = stderr) : stream_(stream) {}
  void Show(const MessageBoxRecord& box) override;

 private:
  std::FILE* stream_;
};

// Keeps every box shown, for tests.
class RecordedMessageBoxes : public MessageBoxes {
 public:
  void Show(const MessageBoxRecord& box) override { shown.push_back(box); }
  std::vector<MessageBoxRecord> shown;
};

}  // namespace olconn97::ui

#endif  // OLCONN97_OUTSIDE_UI_MESSAGE_BOX_H_
