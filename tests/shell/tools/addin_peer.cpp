// A small add-in written from the block layout alone. Started as
// "addin_peer /AddIn=<pid>", it connects to $XDG_RUNTIME_DIR/EasyAddIn.<uid>.<pid>,
// answers the IDE's blocks (symbol request: "main_loop  "; file request:
// line 42), and sends: register, open file "/src/main.c", a block with a
// wrong process id, run command 9564, want file, detach. Every block it
// receives is logged to $PM2_ADDIN_LOG as "code <hex> <arg2> <path>".
// With PM2_ADDIN_SILENT set it connects, reads what comes, logging each
// block, and never answers, until the IDE closes the connection. With PM2_ADDIN_ANSWER set
// it only answers, logging each block as "code <hex> <arg2> state <arg0>",
// and detaches when the IDE tells it to close. With PM2_ADDIN_HALF it stops
// in the middle of a frame and stays connected: "answer" - its answer to the
// first block is cut after the kind byte; "block" - it answers the command
// states, then sends the first half of a register block and logs "half block
// sent".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

static int g_fd = -1;
static FILE* g_log = nullptr;

static void Put(std::vector<unsigned char>& b, size_t at, unsigned v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
static unsigned Get(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | unsigned(p[3]) << 24; }

static bool ReadAll(unsigned char* p, size_t n) {
  while (n) {
    ssize_t r = read(g_fd, p, n);
    if (r <= 0) return false;
    p += r;
    n -= static_cast<size_t>(r);
  }
  return true;
}
static void Frame(unsigned char kind, const std::vector<unsigned char>& payload) {
  std::vector<unsigned char> f(5);
  Put(f, 0, static_cast<unsigned>(payload.size() + 1));
  f[4] = kind;
  f.insert(f.end(), payload.begin(), payload.end());
  if (write(g_fd, f.data(), f.size()) != static_cast<ssize_t>(f.size())) std::exit(5);
}
static std::vector<unsigned char> Block(unsigned code, unsigned pid, unsigned arg0, unsigned arg2,
                                        const char* path) {
  std::vector<unsigned char> b(76, 0);
  std::memcpy(b.data(), "EasyAddInData", 13);
  Put(b, 32, 77);  // our window
  Put(b, 36, pid);
  Put(b, 44, 0x1000);
  Put(b, 48, code);
  Put(b, 52, arg0);
  Put(b, 60, arg2);
  if (path) {
    Put(b, 68, 1);
    if (72 + std::strlen(path) + 1 > b.size()) b.resize(72 + std::strlen(path) + 1, 0);
    std::memcpy(&b[72], path, std::strlen(path));
  }
  return b;
}

// Answers the IDE's blocks until an answer to our own block arrives.
static unsigned Exchange(const std::vector<unsigned char>* send) {
  if (send) Frame(0, *send);
  for (;;) {
    unsigned char head[5];
    if (!ReadAll(head, 5)) return 0xFFFFFFFF;
    std::vector<unsigned char> p(Get(head) - 1);
    if (!p.empty() && !ReadAll(p.data(), p.size())) return 0xFFFFFFFF;
    if (head[4] == 1) return Get(p.data());
    unsigned code = Get(&p[48]);
    std::fprintf(g_log, "code %x %u %s\n", code, Get(&p[60]), reinterpret_cast<char*>(&p[72]));
    std::fflush(g_log);
    std::vector<unsigned char> answer(4, 0);
    if (code == 0x80000009) {
      Put(answer, 0, 1);
      answer.resize(4 + 128, 0);
      std::memcpy(&answer[4], "main_loop  ", 11);
    } else if (code == 0x80000008) {
      Put(answer, 0, 42);
    }
    Frame(1, answer);
    if (!send) return 0;
  }
}

static int AnswerUntilClosed() {
  for (;;) {
    unsigned char head[5];
    if (!ReadAll(head, 5)) break;
    std::vector<unsigned char> p(Get(head) - 1);
    if (p.size() < 76 || !ReadAll(p.data(), p.size())) break;
    const unsigned code = Get(&p[48]);
    std::fprintf(g_log, "code %x %u state %u\n", code, Get(&p[60]), Get(&p[52]));
    std::fflush(g_log);
    Frame(1, std::vector<unsigned char>(4, 0));
    if (code == 0x80000001) {
      std::vector<unsigned char> b = Block(2, static_cast<unsigned>(getpid()), 0, 0, nullptr);
      Exchange(&b);
      break;
    }
  }
  std::fclose(g_log);
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2 || std::strncmp(argv[1], "/AddIn=", 7) != 0) return 2;
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  std::string path = std::string(dir ? dir : "/tmp") + "/EasyAddIn." + std::to_string(getuid()) + "." + (argv[1] + 7);
  g_log = std::fopen(std::getenv("PM2_ADDIN_LOG"), "w");
  if (!g_log) return 3;
  g_fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
  if (connect(g_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return 4;
  if (std::getenv("PM2_ADDIN_SILENT")) {
    for (;;) {
      unsigned char head[5];
      if (!ReadAll(head, 5)) break;
      std::vector<unsigned char> p(Get(head) - 1);
      if (p.size() < 76 || !ReadAll(p.data(), p.size())) break;
      std::fprintf(g_log, "code %x %u\n", Get(&p[48]), Get(&p[60]));
      std::fflush(g_log);
    }
    std::fclose(g_log);
    return 0;
  }
  if (std::getenv("PM2_ADDIN_ANSWER")) return AnswerUntilClosed();
  if (std::getenv("PM2_ADDIN_DEAF")) {
    // Answers the command states, then reads nothing more until the IDE
    // lets it go.
    for (int i = 0; i < 6; ++i) Exchange(nullptr);
    pollfd hangup{g_fd, 0, 0};
    while (poll(&hangup, 1, -1) >= 0 && !(hangup.revents & (POLLHUP | POLLERR))) {
    }
    std::fclose(g_log);
    return 0;
  }
  if (const char* half = std::getenv("PM2_ADDIN_HALF")) {
    if (std::strcmp(half, "block") == 0) {
      for (int i = 0; i < 6; ++i) Exchange(nullptr);  // the command states
      std::vector<unsigned char> b = Block(1, static_cast<unsigned>(getpid()), 0, 0, nullptr);
      std::vector<unsigned char> f(5);
      Put(f, 0, static_cast<unsigned>(b.size() + 1));
      f.insert(f.end(), b.begin(), b.begin() + 20);
      if (write(g_fd, f.data(), f.size()) != static_cast<ssize_t>(f.size())) return 5;
      std::fprintf(g_log, "half block sent\n");
      std::fflush(g_log);
    } else {
      unsigned char head[5];
      if (!ReadAll(head, 5)) return 6;
      std::vector<unsigned char> p(Get(head) - 1);
      if (!p.empty() && !ReadAll(p.data(), p.size())) return 6;
      std::vector<unsigned char> f(6, 0);
      Put(f, 0, 5);  // kind and a four-byte answer, of which only the kind comes
      f[4] = 1;
      if (write(g_fd, f.data(), 5) != 5) return 5;
    }
    unsigned char sink[256];
    while (read(g_fd, sink, sizeof sink) > 0) {
    }
    std::fclose(g_log);
    return 0;
  }
  for (int i = 0; i < 6; ++i) Exchange(nullptr);  // the command states
  const unsigned me = static_cast<unsigned>(getpid());
  std::vector<unsigned char> b;
  b = Block(1, me, 0, 0, nullptr);
  std::fprintf(g_log, "answer %u\n", Exchange(&b));
  b = Block(3, me, 0, 0, "/src/main.c");
  std::fprintf(g_log, "answer %u\n", Exchange(&b));
  b = Block(3, me + 1, 0, 0, "/src/other.c");
  std::fprintf(g_log, "answer %u\n", Exchange(&b));
  b = Block(5, me, 0, 9564, nullptr);
  std::fprintf(g_log, "answer %u\n", Exchange(&b));
  for (int i = 0; i < 3; ++i) Exchange(nullptr);  // symbol request, announce, line
  b = Block(4, me, 0, 0, nullptr);
  std::fprintf(g_log, "answer %u\n", Exchange(&b));
  Exchange(nullptr);  // the file request
  b = Block(2, me, 0, 0, nullptr);
  std::fprintf(g_log, "answer %u\n", Exchange(&b));
  std::fclose(g_log);
  return 0;
}
