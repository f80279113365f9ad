#include "bench_support.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "outside/pim/store.h"

namespace olconn97::bench {

namespace {

const char* const kFirst[] = {"Ann",  "Bob",   "Chloé", "David", "Eva", "Farid", "Grace", "Hugo",
                              "Inès", "Jonas", "Karin", "Luca",  "Mia", "Noah",  "Olga",  "Pierre"};
const char* const kLast[] = {"Smith",  "Martin", "Dubois",  "Müller",   "Rossi", "García", "Novak",
                             "Jensen", "O'Neil", "Lefèvre", "Kowalski", "Silva", "Tanaka"};

std::string Number(int index, int salt) {
  char text[40];
  unsigned value =
      static_cast<unsigned>(index) * 2654435761u + static_cast<unsigned>(salt) * 40503u;
  std::snprintf(text, sizeof text, "+33 (0)%u %02u %02u %02u %02u", 1 + value % 9, value / 9 % 100,
                value / 900 % 100, value / 90000 % 100, static_cast<unsigned>(index) % 100);
  return text;
}

}  // namespace

std::string GeneratedCard(int index) {
  std::string first = kFirst[index % 16];
  std::string last = std::string(kLast[(index / 16) % 13]) + std::to_string(index);
  std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:gen-" + std::to_string(index) + "\r\n";
  card += "FN:" + first + " " + last + "\r\nN:" + last + ";" + first + ";;;\r\n";
  card +=
      "ORG:Example Corp;Sales\r\nEMAIL;TYPE=INTERNET:" + std::to_string(index) + "@example.org\r\n";
  card += "TEL;TYPE=WORK,VOICE:" + Number(index, 1) + "\r\n";
  card += "TEL;TYPE=CELL:" + Number(index, 2) + "\r\n";
  card += "TEL;TYPE=HOME,VOICE:" + Number(index, 3) + "\r\n";
  if (index % 3 == 0) card += "TEL;TYPE=WORK,FAX:" + Number(index, 4) + "\r\n";
  card += "NOTE:Generated for the benchmarks.\r\nEND:VCARD\r\n";
  return card;
}

std::string GeneratedStore(int count) {
  const char* tmp = std::getenv("TMPDIR");
  std::string root =
      std::string(tmp != nullptr ? tmp : "/tmp") + "/olconn97-bench-store-" + std::to_string(count);
  std::string contacts = root + "/Contacts";
  std::string done = root + "/.generated";
  if (std::filesystem::exists(done)) return root;
  std::filesystem::remove_all(root);
  auto store = pim::Store::Open(root, true);  // default folders and markers
  if (!store.ok()) {
    std::fprintf(stderr, "cannot create %s: %s\n", root.c_str(), store.status().ToString().c_str());
    std::exit(1);
  }
  for (int i = 0; i < count; ++i) {
    std::ofstream(contacts + "/gen-" + std::to_string(i) + ".vcf", std::ios::binary)
        << GeneratedCard(i);
  }
  std::ofstream(done) << count << "\n";
  return root;
}

}  // namespace olconn97::bench
