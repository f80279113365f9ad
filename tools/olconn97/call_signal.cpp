#include <cctype>
#include <string>

#include "phone_host.h"

namespace host {

namespace {

bool HasDigit(const std::string& text) {
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// %2B is "+": URIs escape what they carry.
std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string UriUserPart(std::string uri) {
  if (!uri.empty() && uri.front() == '<') uri.erase(0, 1);
  std::string lower = Lower(uri);
  size_t start = std::string::npos;
  for (const char* scheme : {"sips:", "sip:", "tel:"}) {
    if (lower.rfind(scheme, 0) == 0) {
      start = std::char_traits<char>::length(scheme);
      break;
    }
  }
  if (start == std::string::npos) return {};
  bool tel = lower.rfind("tel:", 0) == 0;
  size_t end = uri.find_first_of(tel ? ";>" : "@;>", start);
  if (!tel && uri.find('@', start) == std::string::npos) return {};  // a host alone
  return Unescape(uri.substr(start, end == std::string::npos ? std::string::npos : end - start));
}


std::optional<std::string> CallerNumber(const std::string& peer_uri, const std::string& peer_name) {
  std::string user = UriUserPart(peer_uri);
  std::string lower = Lower(user);
  if (lower == "anonymous" || lower == "unknown") return std::nullopt;
  if (HasDigit(user)) return user;
  std::string name = Lower(peer_name);
  if (name == "anonymous" || name == "unknown" || !HasDigit(peer_name)) return std::nullopt;
  for (char c : peer_name) {
    if (!std::isdigit(static_cast<unsigned char>(c)) && std::string(" +-().").find(c) == std::string::npos) {
      return std::nullopt;  // a name, not a number
    }
  }
  return peer_name;
}

std::string CallerLine(const CallerView& caller) {
  if (!caller.known) return caller.number.empty() ? "unknown caller" : caller.number + " unknown caller";
  std::string line = caller.name;
  if (!caller.company.empty()) line += ", " + caller.company;
  line += ", " + caller.number;
  if (!caller.folder.empty()) line += " (" + caller.folder + ")";
  if (caller.others > 0) {
    line += " and " + std::to_string(caller.others) + " other contact" + (caller.others > 1 ? "s" : "");
  }
  return line;
}

}  // namespace host
