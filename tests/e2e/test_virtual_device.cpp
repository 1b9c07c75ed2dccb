// The virtual device itself, seen from a plain descriptor on its terminal.
#include "tools/virtual_device.h"

#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace trelvo::vdev {
namespace {

class Terminal {
public:
    explicit Terminal(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~Terminal() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    void write(const std::string& bytes) { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Reads until `count` bytes came or the line was silent for timeoutMs.
    std::string read(std::size_t count, int timeoutMs = 3000) {
        std::string got;
        char buffer[4096];
        while (got.size() < count) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) break;
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

private:
    int fd_;
};

TEST(ReplyRules, SplitAtTheFirstPlainEqualsSignWithEscapes) {
    struct Row {
        const char *text, *request, *reply;
    };
    const Row rows[] = {{"PING=PONG\\r\\n", "PING", "PONG\r\n"},
                        {"A\\=B=C=D", "A=B", "C=D"},
                        {"*=\\x06", "*", "\x06"},
                        {"\\x41\\x4a=\\t\\\\", "AJ", "\t\\"}};
    for (const Row& r : rows) {
        std::string request, reply;
        ASSERT_TRUE(ParseReplyRule(r.text, request, reply)) << r.text;
        EXPECT_EQ(request, r.request);
        EXPECT_EQ(reply, r.reply);
    }
    std::string request, reply;
    EXPECT_FALSE(ParseReplyRule("no rule", request, reply));
}

TEST(VirtualDevice, EchoesAndAnswersLines) {
    VirtualDevice device;
    ASSERT_TRUE(device.start()) << device.lastError();
    Terminal t(device.slavePath());
    ASSERT_TRUE(t.ok());
    device.addReply("PING", "PONG\r\n");
    t.write("PING\r\nOTHER\r\n");
    EXPECT_EQ(t.read(6), "PONG\r\n");
    ASSERT_TRUE(device.waitForReceived(13, 3000));
    EXPECT_EQ(device.received(), "PING\r\nOTHER\r\n");

    device.setEcho(true);
    t.write(std::string("\x00\xff\r\n", 4));
    EXPECT_EQ(t.read(4), std::string("\x00\xff\r\n", 4));
}

TEST(VirtualDevice, StreamsItsBytesOnceInOrder) {
    VirtualDevice device;
    ASSERT_TRUE(device.start()) << device.lastError();
    Terminal t(device.slavePath());
    std::string bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += static_cast<char>(i % 251);
    device.startStream(bytes, 200000);
    EXPECT_EQ(t.read(bytes.size()), bytes);
    EXPECT_EQ(t.read(1, 50), ""); // once only
    EXPECT_FALSE(device.streaming());
    EXPECT_EQ(device.streamedBytes(), bytes.size());
}

TEST(VirtualDevice, VanishesAndComesBackOnTheSameLink) {
    QTemporaryDir dir;
    const std::string link = dir.path().toStdString() + "/ttyV0";
    VirtualDevice device(link);
    ASSERT_TRUE(device.start()) << device.lastError();
    EXPECT_EQ(device.portName(), link);
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), device.slavePath());

    auto first = std::make_unique<Terminal>(link);
    ASSERT_TRUE(first->ok());
    device.vanish();
    EXPECT_FALSE(device.present());
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_FALSE(device.lineState().has_value());

    ASSERT_TRUE(device.comeBack()) << device.lastError();
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), device.slavePath());
    Terminal second(link);
    ASSERT_TRUE(second.ok());
    device.send("again");
    EXPECT_EQ(second.read(5), "again");
    first.reset();
}

TEST(VirtualDevice, RemovesItsLinkWhenDone) {
    QTemporaryDir dir;
    const std::string link = dir.path().toStdString() + "/ttyV1";
    {
        VirtualDevice device(link);
        ASSERT_TRUE(device.start());
        EXPECT_TRUE(std::filesystem::is_symlink(link));
    }
    EXPECT_FALSE(std::filesystem::is_symlink(link));
}

} // namespace
} // namespace trelvo::vdev
