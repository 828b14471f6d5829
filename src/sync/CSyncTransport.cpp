#include "sync/CSyncTransport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "platform/Sockets.h"

namespace {

// Strict size text: 1 to 10 decimal digits whose value fits a 32-bit signed size.
bool ParseSize(const char* text, long long* size) {
    const std::size_t len = std::strlen(text);
    if (len == 0 || len > 10) return false;
    long long value = 0;
    for (std::size_t i = 0; i < len; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    if (value > 0x7FFFFFFFLL) return false;
    *size = value;
    return true;
}

QString DecodeIdentity(const char* text) {
    const QString decoded = QString::fromUtf8(text);
    return decoded.trimmed().isEmpty() ? QString() : decoded;
}

}  // namespace

CSyncTransport::~CSyncTransport() { DropSocket(false); }

void CSyncTransport::SetTimeout(int milliseconds) {
    std::lock_guard lock(socketMutex_);
    timeoutMs_ = milliseconds;
    if (socket_ >= 0) platform::SetReceiveTimeout(socket_, timeoutMs_);
}

void CSyncTransport::AttachConnection(int fd, const std::string& address, std::uint16_t port) {
    DropSocket(false);
    // The socket carries its own time-out, so each receive is a single blocking call.
    if (fd >= 0) platform::SetReceiveTimeout(fd, timeoutMs_);
    {
        std::lock_guard lock(socketMutex_);
        socket_ = fd;
    }
    failed_ = false;
    auto it = std::find_if(peers_.begin(), peers_.end(),
                           [&](const auto& peer) { return peer->address == address; });
    if (it == peers_.end()) {
        auto peer = std::make_unique<CSyncPeer>();
        peer->socket = fd;
        peer->address = address;
        peer->port = port;
        peers_.push_back(std::move(peer));
        currentPeer_ = peers_.back().get();
    } else {
        (*it)->socket = fd;
        currentPeer_ = it->get();
    }
}

bool CSyncTransport::HasConnection() const {
    std::lock_guard lock(socketMutex_);
    return socket_ >= 0;
}

long CSyncTransport::Send(const char* data, long size) {
    int fd;
    {
        std::lock_guard lock(socketMutex_);
        fd = socket_;
    }
    if (failed_ || fd < 0) return -1;
    const long sent = platform::SendAll(fd, data, static_cast<std::size_t>(size));
    if (sent < 0) failed_ = true;
    if (tracer_ && sent >= 0) tracer_(true, data, sent);
    return sent;
}

long CSyncTransport::Receive(char* buffer, long size) {
    int fd;
    {
        std::lock_guard lock(socketMutex_);
        fd = socket_;
    }
    if (failed_ || fd < 0 || size <= 0) return -1;
    const long got = platform::ReceiveWithSocketTimeout(fd, buffer, static_cast<std::size_t>(size));
    if (got <= 0) {
        failed_ = true;
        return -1;
    }
    if (tracer_) tracer_(false, buffer, got);
    return got;
}

int CSyncTransport::SendCommand(const char* text) {
    return static_cast<int>(Send(text, static_cast<long>(std::strlen(text))));
}

int CSyncTransport::SendCommand(const QByteArray& text) {
    return static_cast<int>(Send(text.constData(), text.size()));
}

int CSyncTransport::ReceiveReply(char* buffer, int capacity) {
    if (capacity <= 0) return 0;
    buffer[0] = '\0';
    const long got = Receive(buffer, capacity - 1);
    if (got <= 0) return 0;
    buffer[got] = '\0';
    return static_cast<int>(got);
}

QByteArray CSyncTransport::ReceiveReply(int capacity) {
    std::vector<char> buffer(static_cast<std::size_t>(std::max(capacity, 1)));
    ReceiveReply(buffer.data(), capacity);
    // C-string semantics: what follows an embedded zero byte is not part of the text.
    return QByteArray(buffer.data());
}

bool CSyncTransport::ReceiveAck() {
    char ack[kAckCapacity];
    ReceiveReply(ack, kAckCapacity);
    return !failed_;
}

CSendableFile::CSendableFile(const QString& path) {
    // Non-blocking, so a named pipe in the folder cannot hold the open; it is no regular
    // file and is refused below. Reads of a regular file do not heed the flag.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > 0x7FFFFFFFLL) {
        ::close(fd);
        return;
    }
    fd_ = fd;
    size_ = st.st_size;
}

CSendableFile::~CSendableFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool CSyncTransport::SendFile(const QString& path) {
    CSendableFile file(path);
    return file.IsOpen() && SendFile(file);
}

bool CSyncTransport::SendFile(CSendableFile& file) {
    if (!file.IsOpen()) return false;
    const int fd = file.Descriptor();
    long long remaining = file.Size();
    const std::string sizeText = std::to_string(remaining);
    bool ok = SendCommand(sizeText.c_str()) >= 0 && ReceiveAck();
    // The file is read in large blocks rather than chunk by chunk: the link waits for an
    // acknowledgement after every chunk, so each system call saved there is time saved.
    std::vector<char> block(static_cast<std::size_t>(std::min<long long>(kReadBlockSize, std::max(remaining, 1LL))));
    long blockHave = 0;
    long blockAt = 0;
    while (ok && remaining > 0) {
        const long want = static_cast<long>(std::min<long long>(kChunkSize, remaining));
        if (blockHave - blockAt < want) {
            // Only whole chunks are taken from a block, so a refill starts on a chunk boundary.
            const long wantBlock = static_cast<long>(std::min<long long>(static_cast<long long>(block.size()), remaining));
            blockHave = 0;
            blockAt = 0;
            while (blockHave < wantBlock) {
                const ssize_t n = ::read(fd, block.data() + blockHave, static_cast<std::size_t>(wantBlock - blockHave));
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                blockHave += n;
            }
            if (blockHave < wantBlock) {
                // The file shrank under us: the handheld waits for bytes we no longer have,
                // so the link cannot stay in step.
                Interrupt();
                failed_ = true;
                ok = false;
                break;
            }
        }
        ok = Send(block.data() + blockAt, want) == want && ReceiveAck();
        blockAt += want;
        remaining -= want;
    }
    return ok;
}

bool CSyncTransport::ReceiveFile(const QString& folder, const QString& name, QString* storedPath) {
    if (storedPath) storedPath->clear();
    if (failed_) return false;
    long long size = 0;
    if (!ReceiveFileSize(&size)) return false;

    const QString cleaned = CleanReceivedName(name);
    const QString path = cleaned.isEmpty() ? QString() : folder + QLatin1Char('/') + cleaned;
    int out = -1;
    if (!path.isEmpty())
        out = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool writeOk = out >= 0;
    const bool whole = ReceiveFileData(size, out, &writeOk);
    if (out >= 0 && ::close(out) != 0) writeOk = false;
    const bool stored = out >= 0 && writeOk && whole;
    if (out >= 0 && !stored) QFile::remove(path);
    if (stored && storedPath) *storedPath = path;
    return stored;
}

bool CSyncTransport::DiscardFile() {
    if (failed_) return false;
    long long size = 0;
    if (!ReceiveFileSize(&size)) return false;
    bool writeOk = false;
    return ReceiveFileData(size, -1, &writeOk);
}

bool CSyncTransport::ReceiveFileSize(long long* size) {
    char sizeText[kSizeCapacity];
    ReceiveReply(sizeText, kSizeCapacity);
    if (failed_ || !ParseSize(sizeText, size)) {
        // Without a size we cannot tell the file's bytes from the next message.
        failed_ = true;
        return false;
    }
    return SendCommand("OK") >= 0;
}

bool CSyncTransport::ReceiveFileData(long long remaining, int out, bool* writeOk) {
    // Chunks are gathered and written in large blocks: one write per block instead of one
    // per acknowledged chunk. A block never holds more than kReadBlockSize bytes, whatever
    // size the peer announces.
    std::vector<char> block(static_cast<std::size_t>(std::min<long long>(kReadBlockSize, std::max(remaining, 1LL))));
    long blockHave = 0;
    auto flushBlock = [&] {
        long written = 0;
        while (*writeOk && written < blockHave) {
            const ssize_t n = ::write(out, block.data() + written, static_cast<std::size_t>(blockHave - written));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) { *writeOk = false; break; }
            written += n;
        }
        blockHave = 0;
    };
    while (remaining > 0) {
        const long want = static_cast<long>(std::min<long long>(kChunkSize, remaining));
        if (static_cast<long>(block.size()) - blockHave < want) flushBlock();
        char* chunk = block.data() + blockHave;
        long have = 0;
        while (have < want) {
            const long got = Receive(chunk + have, want - have);
            if (got <= 0) break;
            have += got;
        }
        if (have < want) break;  // connection failed: Receive marked it
        // A file we are not storing still arrives chunk by chunk, so the link stays in step.
        if (*writeOk) blockHave += have;
        remaining -= want;
        if (SendCommand("OK") < 0) break;
    }
    if (*writeOk && remaining == 0) flushBlock();
    return remaining == 0 && !failed_;
}

void CSyncTransport::ReadDeviceIdentity(QString& name, QString& id) {
    char nameText[kDeviceNameCapacity];
    char idText[kDeviceIdCapacity];
    SendCommand("SendDeviceName");
    ReceiveAck();
    ReceiveReply(nameText, kDeviceNameCapacity);
    SendCommand("SendDeviceID");
    ReceiveAck();
    ReceiveReply(idText, kDeviceIdCapacity);
    name = DecodeIdentity(nameText);
    id = DecodeIdentity(idText);
}

void CSyncTransport::DropSocket(bool removePeer) {
    int fd;
    {
        std::lock_guard lock(socketMutex_);
        fd = socket_;
        socket_ = -1;
    }
    if (fd >= 0) {
        platform::ShutdownSocket(fd);
        platform::CloseSocket(fd);
    }
    if (currentPeer_) {
        if (removePeer) {
            auto it = std::find_if(peers_.begin(), peers_.end(),
                                   [&](const auto& peer) { return peer.get() == currentPeer_; });
            if (it != peers_.end()) peers_.erase(it);
        } else if (currentPeer_->socket == fd) {
            currentPeer_->socket = -1;
        }
        currentPeer_ = nullptr;
    }
}

void CSyncTransport::CloseConnection() { DropSocket(true); }

void CSyncTransport::ReleaseConnection() { DropSocket(false); }

void CSyncTransport::Interrupt() {
    std::lock_guard lock(socketMutex_);
    if (socket_ >= 0) platform::ShutdownSocket(socket_);
}

QString CSyncTransport::CleanReceivedName(const QString& name) {
    QString cleaned;
    cleaned.reserve(name.size());
    for (const QChar c : name) {
        switch (c.unicode()) {
        case '\\': case '/': case ':': case '*': case '"': case '<': case '>': case '|':
            break;
        default:
            cleaned.append(c);
        }
    }
    if (cleaned == QLatin1String(".") || cleaned == QLatin1String("..")) return QString();
    return cleaned;
}
