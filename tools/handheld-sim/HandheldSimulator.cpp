#include "HandheldSimulator.h"

#include <algorithm>
#include <array>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/Sockets.h"
#include "sync/CSyncTransport.h"

namespace sim {

namespace {

// Words the desktop sends, longest first so a word that begins another never wins.
const std::array<const char*, 18> kDesktopWords = {
    "SyncModeSynchronization", "RecieveDeletedFileList", "SyncModeDesktopOverides", "SyncModeIphoneOverides",
    "RecieveModifiedFiles", "SendDeletedFileList", "SendModifiedFiles", "ProcessSuccess", "ProcessFailure",
    "SendDeviceName", "EndConnection", "SyncFinalize", "SendDeviceID", "SyncSuccess", "EndOfFiles",
    "SyncFailed", "FileSend", "OK"};

class Handheld {
public:
    Handheld(int fd, const HandheldOptions& options) : options_(options) {
        transport_.SetTimeout(options.timeoutMs);
        transport_.AttachConnection(fd, "desktop");
        transport_.SetTracer([this](bool sent, const char* data, long size) { Trace(sent, data, size); });
        if (!options.inputFolder.isEmpty()) {
            const QDir in(options.inputFolder);
            for (const QFileInfo& info : in.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
                if (info.fileName() == QLatin1String("DeletedFiles.xml")) deletedList_ = info.filePath();
                else files_.push_back(info.filePath());
            }
        }
        if (!options.outputFolder.isEmpty()) {
            filesFolder_ = options.outputFolder + QStringLiteral("/files");
            QDir().mkpath(filesFolder_);
        }
        result_.connected = true;
    }

    HandheldResult Play() {
        for (;;) {
            const QByteArray word = NextWord();
            if (transport_.ConnectionFailed()) break;
            if (!Answer(word)) break;
        }
        result_.connectionFailed = transport_.ConnectionFailed() && !result_.endConnection;
        transport_.CloseConnection();
        return result_;
    }

private:
    enum class Receiving { None, DeletedList, ModifiedFiles, AllFiles };

    // Handles one desktop word; false when the conversation is over.
    bool Answer(const QByteArray& word) {
        if (word == "SendDeviceName") {
            Say("OK");
            Say(options_.deviceName.toUtf8());
        } else if (word == "SendDeviceID") {
            Say("OK");
            Say(options_.deviceId.toUtf8());
        } else if (word == "SyncModeSynchronization") {
            result_.mode = 0;
            Say("OK");
        } else if (word == "SyncModeDesktopOverides") {
            result_.mode = 1;
            receiving_ = Receiving::AllFiles;
            Say("OK");
        } else if (word == "SyncModeIphoneOverides") {
            result_.mode = 2;
            Say("OK");
            NextWord();  // the desktop's "OK": now it waits for our files
            SendFiles();
        } else if (word == "SendDeletedFileList") {
            SendDeletedList();
        } else if (word == "RecieveDeletedFileList") {
            receiving_ = Receiving::DeletedList;
            Say("OK");
        } else if (word == "RecieveModifiedFiles") {
            receiving_ = Receiving::ModifiedFiles;
            Say("OK");
        } else if (word == "SendModifiedFiles") {
            if (SendFiles()) Say("OK");  // the acknowledgement that closes the step
        } else if (word == "FileSend") {
            ReceiveOneFile();
        } else if (word == "EndOfFiles") {
            EndOfDesktopFiles();
        } else if (word == "SyncFinalize") {
            Say(FailHere() ? "SyncFailed" : "OK");
            NextWord();
        } else if (word == "ProcessSuccess" || word == "ProcessFailure" || word == "SyncSuccess" ||
                   word == "SyncFailed") {
            Say("OK");
        } else if (word == "EndConnection") {
            result_.endConnection = true;
            if (result_.mode != 2) Say("OK");
            return false;
        }
        // Anything else (a stray "OK") needs no answer.
        return true;
    }

    void SendDeletedList() {
        if (StopHere()) {
            Say("SyncHasToStop");
            NextWord();
            return;
        }
        if (!deletedList_.isEmpty()) {
            Say("FileSend");
            NextWord();
            Say("DeletedFiles.xml");
            NextWord();
            SendFile(deletedList_);
        }
        Say("EndOfFiles");  // after a list: the reply the desktop reads and does not examine
        NextWord();
        Say("OK");
    }

    // Offers every input file in turn, then "EndOfFiles"; each reply slot is a place
    // where the desktop accepts a stop. false when the handheld stopped.
    bool SendFiles() {
        for (qsizetype i = 0; i <= files_.size(); ++i) {
            if (StopHere()) {
                Say("SyncHasToStop");
                NextWord();
                return false;
            }
            if (i == files_.size()) break;
            Say("FileSend");
            NextWord();
            Say(QFileInfo(files_[i]).fileName().toUtf8());
            NextWord();
            SendFile(files_[i]);
        }
        Say("EndOfFiles");
        NextWord();
        return true;
    }

    void ReceiveOneFile() {
        if (receiving_ != Receiving::DeletedList && StopHere()) {
            Say("SyncHasToStop");
            return;
        }
        Say("OK");
        const QByteArray name = NextRaw(CSyncTransport::kNameCapacity);
        Say("OK");
        BeginFile(File::Receiving);
        if (filesFolder_.isEmpty()) {
            // Without an output folder only the names are kept: creating and deleting a
            // scratch file for each of thousands of files costs more than the transfer.
            const QString cleaned = CSyncTransport::CleanReceivedName(QString::fromUtf8(name));
            if (transport_.DiscardFile() && !cleaned.isEmpty()) result_.received.push_back(cleaned);
        } else {
            QString stored;
            transport_.ReceiveFile(filesFolder_, QString::fromUtf8(name), &stored);
            if (!stored.isEmpty()) result_.received.push_back(stored);
        }
        file_ = File::None;
    }

    void EndOfDesktopFiles() {
        switch (receiving_) {
        case Receiving::DeletedList:
            Say("OK");
            NextWord();
            Say(FailHere() ? "SyncFailed" : "ProcessSuccess");
            break;
        case Receiving::ModifiedFiles:
            if (StopHere()) {
                Say("SyncHasToStop");
                break;
            }
            Say("OK");
            NextWord();
            Say(FailHere() ? "SyncFailed" : "ProcessSuccess");
            break;
        case Receiving::AllFiles:
            Say("OK");
            Say(FailHere() ? "SyncFailed" : "SyncFinalize");
            break;
        case Receiving::None:
            Say("OK");
            break;
        }
        receiving_ = Receiving::None;
    }

    void BeginFile(int kind) {
        file_ = kind;
        fileMessages_ = 0;
    }
    void SendFile(const QString& path) {
        BeginFile(File::Sending);
        if (!transport_.SendFile(path) && !transport_.ConnectionFailed()) {
            // An input file we cannot read travels as an empty one, so the desktop
            // does not wait for data that never come.
            Say("0");
            NextRaw(CSyncTransport::kAckCapacity);
        }
        file_ = File::None;
    }

    bool StopHere() { return options_.stopAt > 0 && ++stopPlaces_ == options_.stopAt; }
    bool FailHere() { return options_.failAt > 0 && ++failPlaces_ == options_.failAt; }

    void Say(const QByteArray& text) { transport_.SendCommand(text); }

    // The next desktop word. The desktop sometimes sends two words without waiting in
    // between; they may arrive as one read, so known words are split off the front.
    QByteArray NextWord() {
        if (pending_.isEmpty()) pending_ = transport_.ReceiveReply(CSyncTransport::kReplyCapacity);
        QByteArray word = pending_;
        for (const char* known : kDesktopWords) {
            if (pending_.startsWith(known)) {
                word = QByteArray(known);
                break;
            }
        }
        pending_.remove(0, word.size());
        if (!word.isEmpty()) result_.desktopWords.emplace_back(word.constData(), word.size());
        return word;
    }

    QByteArray NextRaw(int capacity) {
        if (!pending_.isEmpty()) return std::exchange(pending_, QByteArray());
        return transport_.ReceiveReply(capacity);
    }

    void Trace(bool sent, const char* data, long size) {
        std::string line = sent ? "> " : "< ";
        // Within a file, the messages after the size text that go the file's way are data.
        const bool dataWay = (file_ == File::Sending && sent) || (file_ == File::Receiving && !sent);
        if (dataWay && fileMessages_++ > 0) line += "[" + std::to_string(size) + " bytes]";
        else line.append(data, static_cast<std::size_t>(std::min<long>(size, 200)));
        result_.transcript.push_back(line);
        if (sent && options_.hangUpAfter > 0 && ++sent_ == options_.hangUpAfter) transport_.Interrupt();
    }

    const HandheldOptions& options_;
    CSyncTransport transport_;
    HandheldResult result_;
    QStringList files_;
    QString deletedList_;
    QString filesFolder_;
    QByteArray pending_;
    Receiving receiving_ = Receiving::None;
    int stopPlaces_ = 0;
    int failPlaces_ = 0;
    int sent_ = 0;
    struct File {
        enum { None, Sending, Receiving };
    };
    int file_ = File::None;
    int fileMessages_ = 0;
};

void WriteOutput(const HandheldOptions& options, const HandheldResult& result) {
    if (options.outputFolder.isEmpty()) return;
    QDir().mkpath(options.outputFolder);
    QFile transcript(options.outputFolder + QStringLiteral("/transcript.txt"));
    if (transcript.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        for (const std::string& line : result.transcript) {
            transcript.write(line.data(), static_cast<qint64>(line.size()));
            transcript.write("\n");
        }
    }
    QFile summary(options.outputFolder + QStringLiteral("/result.txt"));
    if (summary.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        summary.write(QStringLiteral("connected=%1\nmode=%2\nendConnection=%3\nconnectionFailed=%4\nreceived=%5\n")
                          .arg(int(result.connected))
                          .arg(result.mode)
                          .arg(int(result.endConnection))
                          .arg(int(result.connectionFailed))
                          .arg(result.received.size())
                          .toUtf8());
    }
}

}  // namespace

HandheldResult RunHandheldOnSocket(int fd, const HandheldOptions& options) {
    HandheldResult result;
    if (fd >= 0) {
        Handheld handheld(fd, options);
        result = handheld.Play();
    }
    WriteOutput(options, result);
    return result;
}

HandheldResult RunHandheld(const std::string& host, std::uint16_t port, const HandheldOptions& options) {
    return RunHandheldOnSocket(platform::ConnectTo(host, port), options);
}

}  // namespace sim
