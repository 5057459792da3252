// An X display whose server dies at a chosen moment of a chosen connection,
// for the end-to-end scripts:
//   dying_display OWN-NUMBER SERVER-NUMBER CONNECTION ANSWERS
// listens as display :OWN-NUMBER and passes every connection on to the real
// server of :SERVER-NUMBER, both ways, until the CONNECTION-th (from 1) has
// received the server's setup reply and then ANSWERS more replies, errors or
// events; there it dies: every connection closed, its socket removed. It
// prints "listening" once clients may connect, and as it dies one line with
// the opcodes of the requests that connection had sent. CONNECTION 0 dooms
// the first connection made after the stand-in received SIGUSR1, however
// many came before; should that one end before the server's setup reply (a
// busy server drops a connection now and then, and Xlib's client tries
// again), the next one made is doomed instead. Exit status 0 when it died
// so, 2 on bad usage or a failure of its own. Ended by SIGTERM before it died, it prints one line on
// what the connections made after SIGUSR1 did ("never died: ...") and exits
// with status 1.
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

volatile sig_atomic_t armed = 0;    // SIGUSR1 came: doom the next connection
volatile sig_atomic_t stopped = 0;  // SIGTERM came: report and end
void Arm(int) { armed = 1; }
void Stop(int) { stopped = 1; }

std::string SocketPath(const char* number) { return std::string("/tmp/.X11-unix/X") + number; }

int UnixSocket(const std::string& path, bool listening) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (fd < 0 || path.size() >= sizeof address.sun_path) return -1;
  path.copy(address.sun_path, path.size());
  const auto* generic = reinterpret_cast<const sockaddr*>(&address);
  const bool ready = listening ? bind(fd, generic, sizeof address) == 0 && listen(fd, 16) == 0
                               : connect(fd, generic, sizeof address) == 0;
  if (ready) return fd;
  close(fd);
  return -1;
}

bool WriteAll(int fd, const char* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t written = write(fd, bytes, count);
    if (written <= 0) return false;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

// A 16- or 32-bit field of the protocol in the client's byte order.
std::uint32_t Field(const std::string& bytes, std::size_t at, int size, bool bigEndian) {
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(bigEndian ? i : size - 1 - i)]);
    value = value << 8 | byte;
  }
  return value;
}

std::size_t PaddedTo4(std::uint32_t count) { return (count + 3u) / 4u * 4u; }

// The watched connection: what each side has sent, cut into messages.
struct Watch {
  std::string fromClient;            // bytes not yet cut into requests
  std::string fromServer;            // bytes held back until whole
  bool clientPrefixSeen = false;
  bool setupReplySeen = false;
  long answersLeft = 0;              // to pass on after the setup reply
  std::vector<int> opcodes;          // of the requests sent so far

  bool BigEndian() const { return !fromClient.empty() && fromClient[0] == 'B'; }

  // Size of the client's next whole message in fromClient, or 0.
  std::size_t NextRequestSize(bool bigEndian) const {
    if (!clientPrefixSeen) {
      if (fromClient.size() < 12) return 0;
      return 12 + PaddedTo4(Field(fromClient, 6, 2, bigEndian)) + PaddedTo4(Field(fromClient, 8, 2, bigEndian));
    }
    if (fromClient.size() < 4) return 0;
    const std::uint32_t words = Field(fromClient, 2, 2, bigEndian);
    if (words != 0) return 4u * words;
    return fromClient.size() < 8 ? 0 : 4u * Field(fromClient, 4, 4, bigEndian);  // a big request
  }

  void NoteClientBytes(const char* bytes, std::size_t count, bool& bigEndian) {
    fromClient.append(bytes, count);
    if (!clientPrefixSeen) bigEndian = BigEndian();
    for (std::size_t size; (size = NextRequestSize(bigEndian)) != 0 && fromClient.size() >= size;) {
      if (clientPrefixSeen) opcodes.push_back(static_cast<unsigned char>(fromClient[0]));
      clientPrefixSeen = true;
      fromClient.erase(0, size);
    }
  }

  // Size of the server's next whole message in fromServer, or 0.
  std::size_t NextAnswerSize(bool bigEndian) const {
    if (!setupReplySeen) return fromServer.size() < 8 ? 0 : 8 + 4u * Field(fromServer, 6, 2, bigEndian);
    if (fromServer.size() < 32) return 0;
    const auto type = static_cast<unsigned char>(fromServer[0]) & 0x7F;
    const bool lengthened = type == 1 || type == 35;  // a reply, or a generic event
    return 32 + (lengthened ? 4u * Field(fromServer, 4, 4, bigEndian) : 0);
  }

  // Passes on the server's whole messages up to the moment of death;
  // false when that moment has come.
  bool PassServerBytes(const char* bytes, std::size_t count, bool bigEndian, int client) {
    fromServer.append(bytes, count);
    for (std::size_t size; (size = NextAnswerSize(bigEndian)) != 0 && fromServer.size() >= size;) {
      if (!WriteAll(client, fromServer.data(), size)) return false;
      fromServer.erase(0, size);
      if (setupReplySeen) --answersLeft;
      setupReplySeen = true;
      if (answersLeft <= 0) return false;
    }
    return true;
  }
};

struct Relay {
  int client = -1;
  int server = -1;
  bool afterArming = false;      // made after SIGUSR1
  std::size_t clientBytes = 0;   // sent by the client so far
  const char* end = "open";      // or which side ended it
  bool droppedWhenDoomed = false;  // doomed, but ended before its setup reply

  // One side ended, or cannot be written to: the other ends too.
  void End() {
    close(client);
    close(server);
    client = server = -1;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  signal(SIGPIPE, SIG_IGN);  // a side that has gone away fails the write instead
  signal(SIGUSR1, Arm);
  signal(SIGTERM, Stop);
  const std::string own = SocketPath(argv[1]);
  long doomed = std::strtol(argv[3], nullptr, 10);
  const bool doomedWhenArmed = doomed == 0;
  const long answers = std::strtol(argv[4], nullptr, 10);
  const auto freshWatch = [answers] {
    Watch fresh;
    fresh.answersLeft = answers;
    return fresh;
  };
  Watch watch = freshWatch();
  const int listener = UnixSocket(own, true);
  if (listener < 0) {
    std::perror("dying_display: cannot listen");
    return 2;
  }
  std::printf("listening\n");
  std::fflush(stdout);

  std::vector<Relay> relays;
  bool bigEndian = false;
  // Ends relay `index`, `how` said in the report; a doomed connection that
  // ends before its setup reply passes its doom on to the next one made.
  const auto endRelay = [&](std::size_t index, const char* how) {
    relays[index].end = how;
    relays[index].End();
    if (doomedWhenArmed && static_cast<long>(index) + 1 == doomed && !watch.setupReplySeen) {
      relays[index].droppedWhenDoomed = true;
      doomed = 0;
      watch = freshWatch();
    }
  };
  for (bool alive = true; alive;) {
    std::vector<pollfd> watched{{listener, POLLIN, 0}};
    for (const Relay& relay : relays) {
      watched.push_back({relay.client, POLLIN, 0});
      watched.push_back({relay.server, POLLIN, 0});
    }
    if (stopped) break;
    if (poll(watched.data(), watched.size(), -1) < 0) continue;
    for (std::size_t index = 0; index < relays.size() && alive; ++index) {
      Relay& relay = relays[index];
      const bool isDoomed = static_cast<long>(index) + 1 == doomed;
      for (const bool fromClient : {true, false}) {
        const pollfd& ready = watched[1 + 2 * index + (fromClient ? 0 : 1)];
        if (relay.client < 0 || (ready.revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
        char bytes[65536];
        const ssize_t count = read(ready.fd, bytes, sizeof bytes);
        if (count <= 0) {
          endRelay(index, fromClient ? "ended by the client" : "ended by the server");
          continue;
        }
        const auto size = static_cast<std::size_t>(count);
        if (fromClient) relay.clientBytes += size;
        if (isDoomed && !fromClient) {
          alive = watch.PassServerBytes(bytes, size, bigEndian, relay.client);
          continue;
        }
        if (isDoomed) watch.NoteClientBytes(bytes, size, bigEndian);
        if (!WriteAll(fromClient ? relay.server : relay.client, bytes, size)) endRelay(index, "ended by a failed write");
      }
    }
    // New connections last: `watched` has no entries for them yet.
    if (alive && (watched[0].revents & POLLIN)) {
      const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      const int server = client < 0 ? -1 : UnixSocket(SocketPath(argv[2]), false);
      if (server < 0) {
        std::perror("dying_display: no server to pass a connection on to");
        return 2;
      }
      relays.push_back({client, server, armed != 0});
      if (doomed == 0 && armed) doomed = static_cast<long>(relays.size());
    }
  }

  unlink(own.c_str());
  close(listener);
  if (stopped) {
    std::printf("never died; SIGUSR1 %s; connections made after it:", armed ? "came" : "never came");
    for (std::size_t index = 0; index < relays.size(); ++index) {
      const Relay& relay = relays[index];
      if (relay.afterArming) std::printf(" #%zu (%zu bytes from the client, %s)", index + 1, relay.clientBytes, relay.end);
    }
    std::printf("\n");
    return 1;
  }
  for (Relay& relay : relays) relay.End();
  std::printf("died");
  for (std::size_t index = 0; index < relays.size(); ++index) {
    if (relays[index].droppedWhenDoomed) std::printf(" (connection #%zu, doomed first, ended before its setup reply)", index + 1);
  }
  std::printf("; the connection had sent the requests:");
  for (const int opcode : watch.opcodes) std::printf(" %d", opcode);
  std::printf("\n");
  return 0;
}
