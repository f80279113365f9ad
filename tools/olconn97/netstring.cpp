#include "netstring.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace host {

std::string Netstring(std::string_view payload) {
  std::string framed = std::to_string(payload.size());
  framed.reserve(framed.size() + payload.size() + 2);
  framed += ':';
  framed += payload;
  framed += ',';
  return framed;
}

bool NetstringReader::Feed(std::string_view bytes, std::vector<std::string>* frames) {
  size_t at = 0;
  while (!lost() && at < bytes.size()) {
    const char byte = bytes[at];
    switch (stage_) {
      case Stage::kLength:
        if (byte >= '0' && byte <= '9') {
          // "0:" is the empty frame; "01:" or a run of zeros is no length.
          if (length_digits_ > 0 && length_ == 0) {
            Lose("a frame length has a leading zero");
            break;
          }
          length_ = length_ * 10 + static_cast<size_t>(byte - '0');
          ++length_digits_;
          if (length_ > kMaxNetstringPayload) {
            Lose("a frame is longer than " + std::to_string(kMaxNetstringPayload) + " bytes");
          }
        } else if (byte == ':' && length_digits_ > 0) {
          stage_ = length_ > 0 ? Stage::kPayload : Stage::kComma;
          payload_.reserve(length_);
        } else {
          char shown[8];
          std::snprintf(shown, sizeof shown, "0x%02X", static_cast<unsigned char>(byte));
          Lose(std::string("a frame length holds the byte ") + shown);
        }
        ++at;
        break;
      case Stage::kPayload: {
        const size_t take = std::min(length_ - payload_.size(), bytes.size() - at);
        payload_.append(bytes.substr(at, take));
        at += take;
        if (payload_.size() == length_) stage_ = Stage::kComma;
        break;
      }
      case Stage::kComma:
        if (byte != ',') {
          Lose("a frame of " + std::to_string(length_) + " bytes does not end with ','");
          break;
        }
        frames->push_back(std::exchange(payload_, std::string()));
        stage_ = Stage::kLength;
        length_ = 0;
        length_digits_ = 0;
        ++at;
        break;
    }
  }
  return !lost();
}

void NetstringReader::Reset() {
  stage_ = Stage::kLength;
  length_ = 0;
  length_digits_ = 0;
  payload_ = std::string();
  error_.clear();
}

void NetstringReader::Lose(std::string why) {
  error_ = std::move(why);
  payload_ = std::string();
}

}  // namespace host
