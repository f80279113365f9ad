// A conversion descriptor of iconv from one character set to UTF-8,
// closed with its owner.
#ifndef OLCONN97_OUTSIDE_PIM_ICONV_HANDLE_H_
#define OLCONN97_OUTSIDE_PIM_ICONV_HANDLE_H_

#include <iconv.h>

#include <string>

namespace olconn97::pim {

class IconvHandle {
 public:
  explicit IconvHandle(const std::string& from) : cd_(iconv_open("UTF-8", from.c_str())) {}
  ~IconvHandle() {
    if (valid()) iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  // False when iconv does not know the character set.
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace olconn97::pim

#endif  // OLCONN97_OUTSIDE_PIM_ICONV_HANDLE_H_
