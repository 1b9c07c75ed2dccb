// trelvo-vdev: a serial device on a pseudo-terminal, for trying Trelvo without hardware.
#include "tools/virtual_device.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

const char* const kUsage =
    "usage: trelvo-vdev [--link PATH] [--echo] [--reply 'REQUEST=REPLY']... [--stream FILE [--rate N] [--loop]]\n"
    "                   [--read-rate N] [--print]\n"
    "\n"
    "  --link PATH     place a symbolic link to the port at PATH (for example /dev/ttyV0)\n"
    "  --echo          send back every byte received\n"
    "  --reply R=A     answer each received line R (ended by CR or LF) with A; R '*' answers any line.\n"
    "                  Escapes \\r \\n \\t \\\\ \\= \\xHH work in both halves. May be given more than once.\n"
    "  --stream FILE   send the bytes of FILE\n"
    "  --rate N        ... at N bytes per second (default 1000; 0 = as fast as the line takes them)\n"
    "  --loop          ... over and over\n"
    "  --read-rate N   take what the program writes at N bytes per second at most (a slow line)\n"
    "  --print         print what is received (non-printable bytes as \\xHH)\n"
    "\n"
    "Signals: SIGUSR1 makes the device vanish (port closed, link removed), SIGUSR2 brings it back on the same\n"
    "link. Ctrl+C or SIGTERM ends it and removes the link.\n";

std::string Printable(std::string_view bytes) {
    std::string out;
    char hex[5];
    for (unsigned char c : bytes) {
        if (c == '\n')
            out += "\\n\n";
        else if (c == '\r')
            out += "\\r";
        else if (c >= 0x20 && c < 0x7f && c != '\\')
            out += static_cast<char>(c);
        else {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

int Fail(const std::string& text) {
    std::cerr << "trelvo-vdev: " << text << "\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using trelvo::vdev::VirtualDevice;
    std::string link, streamFile;
    bool echo = false, loop = false, print = false;
    std::uint64_t rate = 1000, readRate = 0;
    std::vector<std::pair<std::string, std::string>> replies;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--link") {
            const char* v = value();
            if (!v) return Fail("--link needs a path");
            link = v;
        } else if (arg == "--echo") {
            echo = true;
        } else if (arg == "--reply") {
            const char* v = value();
            std::string request, reply;
            if (!v || !trelvo::vdev::ParseReplyRule(v, request, reply)) return Fail("--reply needs REQUEST=REPLY");
            replies.emplace_back(request, reply);
        } else if (arg == "--stream") {
            const char* v = value();
            if (!v) return Fail("--stream needs a file");
            streamFile = v;
        } else if (arg == "--rate") {
            const char* v = value();
            char* end = nullptr;
            if (!v || (rate = std::strtoull(v, &end, 10), *end != '\0')) return Fail("--rate needs a number");
        } else if (arg == "--read-rate") {
            const char* v = value();
            char* end = nullptr;
            if (!v || (readRate = std::strtoull(v, &end, 10), *end != '\0')) return Fail("--read-rate needs a number");
        } else if (arg == "--loop") {
            loop = true;
        } else if (arg == "--print") {
            print = true;
        } else {
            std::cerr << kUsage;
            return Fail("unknown option " + arg);
        }
    }

    std::string streamBytes;
    if (!streamFile.empty()) {
        std::ifstream in(streamFile, std::ios::binary);
        if (!in) return Fail("cannot read " + streamFile);
        std::ostringstream all;
        all << in.rdbuf();
        streamBytes = all.str();
    }

    // The signals are taken here, by sigwait, never by the device's thread.
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2})
        sigaddset(&signals, s);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    VirtualDevice device(link);
    device.setEcho(echo);
    device.setReadRate(readRate);
    for (auto& [request, reply] : replies)
        device.addReply(request, reply);
    if (print) device.setReceiveCallback([](std::string_view bytes) { std::cout << Printable(bytes) << std::flush; });
    if (!device.start()) return Fail(device.lastError());
    const auto announce = [&] {
        std::cerr << "trelvo-vdev: port " << device.slavePath();
        if (!link.empty()) std::cerr << " (link " << link << ")";
        std::cerr << ", pid " << getpid() << "\n";
    };
    announce();
    if (!streamBytes.empty()) device.startStream(streamBytes, rate, loop);

    for (;;) {
        int sig = 0;
        if (sigwait(&signals, &sig) != 0) continue;
        if (sig == SIGUSR1) {
            device.vanish();
            std::cerr << "trelvo-vdev: vanished\n";
        } else if (sig == SIGUSR2) {
            if (!device.comeBack()) return Fail(device.lastError());
            announce();
            if (!streamBytes.empty()) device.startStream(streamBytes, rate, loop);
        } else {
            break;
        }
    }
    return 0;
}
