// The wire rules of the handheld link, checked between two ends of a local socket pair:
// one end is the transport under test, the other a hand-driven peer (often a second
// transport, since the handheld speaks the same framing).

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <thread>
#include <vector>

#include "sync/CSyncTransport.h"

namespace {

class LinkedTransports : public ::testing::Test {
protected:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        desktop.AttachConnection(fds[0], "peer");
        handheld.AttachConnection(fds[1], "desk");
        desktop.SetTimeout(2000);
        handheld.SetTimeout(2000);
        ASSERT_TRUE(dir.isValid());
    }
    QString WriteFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static QByteArray Pattern(int size) {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
        return bytes;
    }
    static QByteArray ReadAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    CSyncTransport desktop;
    CSyncTransport handheld;
    QTemporaryDir dir;
};

struct SizeCase {
    const char* label;
    int size;
    std::vector<long> chunks;  // data sends of the sender, in order
};

class FileSizes : public LinkedTransports, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(FileSizes, TravelInAcknowledgedChunksOfAtMost4096Bytes) {
    const SizeCase& c = GetParam();
    const QByteArray content = Pattern(c.size);
    const QString source = WriteFile("source.bin", content);
    QDir(dir.path()).mkpath("in");

    std::vector<std::string> sent;
    desktop.SetTracer([&](bool isSend, const char* data, long size) {
        if (isSend) sent.emplace_back(data, static_cast<std::size_t>(size));
    });
    QString stored;
    bool received = false;
    std::thread peer([&] { received = handheld.ReceiveFile(dir.filePath("in"), "copy.bin", &stored); });
    EXPECT_TRUE(desktop.SendFile(source));
    peer.join();

    ASSERT_TRUE(received);
    EXPECT_EQ(stored, dir.filePath("in/copy.bin"));
    EXPECT_EQ(ReadAll(stored), content);
    ASSERT_EQ(sent.size(), 1 + c.chunks.size());
    EXPECT_EQ(sent[0], std::to_string(c.size)) << "the size text comes first, bare";
    for (std::size_t i = 0; i < c.chunks.size(); ++i) EXPECT_EQ(long(sent[i + 1].size()), c.chunks[i]);
    EXPECT_FALSE(desktop.ConnectionFailed());
    EXPECT_FALSE(handheld.ConnectionFailed());
}

INSTANTIATE_TEST_SUITE_P(Transport, FileSizes,
                         ::testing::Values(SizeCase{"Empty", 0, {}}, SizeCase{"OneByte", 1, {1}},
                                           SizeCase{"OneFullChunk", 4096, {4096}},
                                           SizeCase{"FullChunkAndOneByte", 4097, {4096, 1}},
                                           SizeCase{"SeveralChunks", 3 * 4096 + 100, {4096, 4096, 4096, 100}}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(LinkedTransports, EveryChunkIsAcknowledgedWithOK) {
    const QString source = WriteFile("source.bin", Pattern(4097));
    std::vector<std::string> acks;
    handheld.SetTracer([&](bool isSend, const char* data, long size) {
        if (isSend) acks.emplace_back(data, static_cast<std::size_t>(size));
    });
    std::thread peer([&] { handheld.ReceiveFile(dir.path(), "x", nullptr); });
    desktop.SendFile(source);
    peer.join();
    EXPECT_EQ(acks, (std::vector<std::string>{"OK", "OK", "OK"}));  // size, chunk, chunk
}

TEST_F(LinkedTransports, UnreadableFileSendsNothing) {
    EXPECT_FALSE(desktop.SendFile(dir.filePath("absent.orv")));
    EXPECT_FALSE(desktop.SendFile(dir.path())) << "a folder is not a file";
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.orv")).constData(), 0644), 0);
    EXPECT_FALSE(desktop.SendFile(dir.filePath("pipe.orv"))) << "a named pipe is no file, and must not hold us";
    // The link is untouched: the next word is the first thing the peer sees.
    desktop.SendCommand("EndOfFiles");
    EXPECT_EQ(handheld.ReceiveReply(CSyncTransport::kReplyCapacity), "EndOfFiles");
}

struct NameCase {
    const char* label;
    const char* announced;
    const char* stored;  // "" when the file must be dropped
};

class ReceivedNames : public LinkedTransports, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ReceivedNames, AreCleanedAndNeverLeaveTheFolder) {
    const NameCase& c = GetParam();
    QDir(dir.path()).mkpath("work");
    const QString work = dir.filePath("work");
    const QString source = WriteFile("payload", "abc");
    QString stored;
    bool ok = false;
    std::thread peer([&] { ok = desktop.ReceiveFile(work, QString::fromUtf8(c.announced), &stored); });
    handheld.SendFile(source);
    peer.join();

    if (*c.stored) {
        EXPECT_TRUE(ok);
        EXPECT_EQ(stored, work + "/" + QString::fromUtf8(c.stored));
        EXPECT_EQ(ReadAll(stored), "abc");
    } else {
        EXPECT_FALSE(ok);
        EXPECT_TRUE(stored.isEmpty());
    }
    // Only the work folder may have gained a file, and at most this one.
    const QStringList inWork = QDir(work).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(inWork.size(), *c.stored ? 1 : 0);
    const QStringList outside = QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    EXPECT_EQ(outside, QStringList{"payload"});
    // A dropped file was still drained: the link is in step for the next word.
    EXPECT_FALSE(desktop.ConnectionFailed());
    handheld.SendCommand("EndOfFiles");
    EXPECT_EQ(desktop.ReceiveReply(CSyncTransport::kReplyCapacity), "EndOfFiles");
}

INSTANTIATE_TEST_SUITE_P(
    Transport, ReceivedNames,
    ::testing::Values(NameCase{"Plain", "Groceries.orv", "Groceries.orv"},
                      NameCase{"ColonStarKeptQuestion", "a:b*c?.orv", "abc?.orv"},
                      NameCase{"AllShellCharacters", "x\\y/z:*\"<>|.orv", "xyz.orv"},
                      NameCase{"ParentPathFlattened", "../../escape.orv", "....escape.orv"},
                      NameCase{"Utf8", "Einkäufe.orv", "Einkäufe.orv"},
                      NameCase{"Dot", ".", ""}, NameCase{"DotDot", "..", ""},
                      NameCase{"SlashesOnly", "//", ""}, NameCase{"Empty", "", ""},
                      NameCase{"DotDotAfterCleaning", ".:.", ""}),
    [](const auto& info) { return std::string(info.param.label); });

struct BadSizeCase {
    const char* label;
    const char* sizeText;
    const char* data;  // what follows before the sender hangs up
    bool acknowledged; // a valid size is answered before the data are awaited
};

class BadSizes : public LinkedTransports, public ::testing::WithParamInterface<BadSizeCase> {};

TEST_P(BadSizes, FailTheConnectionAndLeaveNoFile) {
    const BadSizeCase& c = GetParam();
    bool ok = true;
    std::thread peer([&] { ok = desktop.ReceiveFile(dir.path(), "in.orv", nullptr); });
    handheld.SendCommand(c.sizeText);
    if (c.acknowledged) {
        EXPECT_EQ(handheld.ReceiveReply(CSyncTransport::kAckCapacity), "OK");
        handheld.SendCommand(c.data);
    }
    handheld.CloseConnection();
    peer.join();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(desktop.ConnectionFailed());
    EXPECT_FALSE(QFile::exists(dir.filePath("in.orv")));
}

INSTANTIATE_TEST_SUITE_P(Transport, BadSizes,
                         ::testing::Values(BadSizeCase{"Negative", "-5", "", false},
                                           BadSizeCase{"NotANumber", "abc", "", false},
                                           BadSizeCase{"DigitsThenText", "12ab", "", false},
                                           BadSizeCase{"Beyond32Bits", "4294967296", "", false},
                                           BadSizeCase{"LargerThanWhatArrives", "10", "abc", true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(LinkedTransports, SilentPeerTimesOutAndLaterCallsReturnAtOnce) {
    desktop.SetTimeout(100);
    char buffer[CSyncTransport::kReplyCapacity];
    EXPECT_EQ(desktop.ReceiveReply(buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(desktop.ConnectionFailed());
    // Once failed, nothing waits again and nothing is sent.
    EXPECT_EQ(desktop.ReceiveReply(buffer, sizeof buffer), 0);
    EXPECT_EQ(desktop.SendCommand("OK"), -1);
    EXPECT_FALSE(desktop.ReceiveFile(dir.path(), "f", nullptr));
}

TEST_F(LinkedTransports, ClosedPeerReadsAsEmptyReply) {
    handheld.CloseConnection();
    EXPECT_EQ(desktop.ReceiveReply(CSyncTransport::kReplyCapacity), "");
    EXPECT_TRUE(desktop.ConnectionFailed());
}

TEST_F(LinkedTransports, ReplyTakesAtMostCapacityLessOneBytes) {
    handheld.SendCommand("ProcessSuccess");
    EXPECT_EQ(desktop.ReceiveReply(CSyncTransport::kAckCapacity), "Pr");
    EXPECT_EQ(desktop.ReceiveReply(CSyncTransport::kReplyCapacity), "ocessSuccess");
}

// The handheld's half of the identity exchange: an acknowledgement, then the text.
void AnswerIdentity(CSyncTransport& handheld, const QByteArray& name, const QByteArray& id) {
    EXPECT_EQ(handheld.ReceiveReply(CSyncTransport::kReplyCapacity), "SendDeviceName");
    handheld.SendCommand("OK");
    handheld.SendCommand(name);
    EXPECT_EQ(handheld.ReceiveReply(CSyncTransport::kReplyCapacity), "SendDeviceID");
    handheld.SendCommand("OK");
    handheld.SendCommand(id);
}

TEST_F(LinkedTransports, DeviceIdentityIsDecodedFromUtf8) {
    std::thread peer([&] { AnswerIdentity(handheld, "Jürgen’s iPhone", "A1B2-C3"); });
    QString name, id;
    desktop.ReadDeviceIdentity(name, id);
    peer.join();
    EXPECT_EQ(name, QString::fromUtf8("Jürgen’s iPhone"));
    EXPECT_EQ(id, "A1B2-C3");
}

TEST_F(LinkedTransports, BlankDeviceNameReadsAsEmpty) {
    std::thread peer([&] { AnswerIdentity(handheld, "   \t ", "ID1"); });
    QString name = "stale", id;
    desktop.ReadDeviceIdentity(name, id);
    peer.join();
    EXPECT_TRUE(name.isEmpty());
    EXPECT_EQ(id, "ID1");
}

TEST_F(LinkedTransports, OverlongDeviceNameSpillsIntoTheNextAcknowledgement) {
    const QByteArray name = QByteArray(199, 'N') + "XYrest";
    std::thread peer([&] {
        EXPECT_EQ(handheld.ReceiveReply(CSyncTransport::kReplyCapacity), "SendDeviceName");
        handheld.SendCommand(QByteArray("OK") + name);  // one segment: the reads split it
        EXPECT_EQ(handheld.ReceiveReply(CSyncTransport::kReplyCapacity), "SendDeviceID");
        handheld.SendCommand("OK");
    });
    QString gotName, gotId;
    desktop.ReadDeviceIdentity(gotName, gotId);
    peer.join();
    EXPECT_EQ(gotName, QString(199, 'N'));
    // "XY" was taken as the acknowledgement of SendDeviceID, "rest" as the ID, and the
    // handheld's own "OK" is still waiting in the connection.
    EXPECT_EQ(gotId, "rest");
}

TEST(CSyncTransportPeers, CloseConnectionDropsThePeerEntry) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    CSyncTransport t;
    t.AttachConnection(fds[0], "10.0.0.7", 1234);
    ASSERT_EQ(t.Peers().size(), 1u);
    EXPECT_EQ(t.CurrentPeer()->address, "10.0.0.7");
    EXPECT_EQ(t.CurrentPeer()->state, 0);
    EXPECT_TRUE(t.CurrentPeer()->name.empty());
    t.CloseConnection();
    EXPECT_TRUE(t.Peers().empty());
    EXPECT_EQ(t.CurrentPeer(), nullptr);
    EXPECT_FALSE(t.HasConnection());
    // The peer sees the end of the stream.
    char c;
    EXPECT_EQ(::read(fds[1], &c, 1), 0);
    ::close(fds[1]);
}

}  // namespace
