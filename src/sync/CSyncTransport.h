#pragma once
// The desktop's end of the handheld link: unframed command words and replies, whole
// files in acknowledged chunks of at most 4096 bytes, and the peer table. The same
// primitives serve the handheld simulator, which attaches its connected socket.
//
// Failure model: a receive that fails, finds the connection closed or waits longer than
// the time-out marks the connection failed; from then on every operation returns at
// once with its failure value (no busy loop on empty replies, no 60 s wait per call).
// Sessions test ConnectionFailed() at their loop points.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>

// One remote address that has connected. Entries are found by exact address text and
// record the socket of the most recent connection from that address.
struct CSyncPeer {
    int socket = -1;
    std::string address;
    std::uint16_t port = 0;  // network byte order, as accepted
    std::string name;        // always empty
    int state = 0;
};

// A file opened to be sent: open before it is offered, so the offer ("FileSend") is only
// made for a file that can then be sent whole, and the size sent is the size read.
class CSendableFile {
public:
    // Opens path when it is a regular file under 2 GiB that we may read.
    explicit CSendableFile(const QString& path);
    ~CSendableFile();
    CSendableFile(const CSendableFile&) = delete;
    CSendableFile& operator=(const CSendableFile&) = delete;
    bool IsOpen() const { return fd_ >= 0; }
    long long Size() const { return size_; }
    int Descriptor() const { return fd_; }

private:
    int fd_ = -1;
    long long size_ = 0;
};

class CSyncTransport {
public:
    // Capacities of the reply buffers; a read takes at most capacity - 1 bytes.
    static constexpr int kAckCapacity = 3;
    static constexpr int kSizeCapacity = 50;
    static constexpr int kDeviceIdCapacity = 100;
    static constexpr int kDeviceNameCapacity = 200;
    static constexpr int kReplyCapacity = 201;
    static constexpr int kNameCapacity = 512;
    static constexpr int kChunkSize = 4096;
    // How much of a file SendFile reads, and ReceiveFile gathers before writing, at a time
    // (a multiple of kChunkSize).
    static constexpr long kReadBlockSize = 1L << 20;
    static constexpr int kDefaultTimeoutMs = 60000;

    CSyncTransport() = default;
    ~CSyncTransport();
    CSyncTransport(const CSyncTransport&) = delete;
    CSyncTransport& operator=(const CSyncTransport&) = delete;

    // How long one receive may wait for the peer before the connection counts as failed.
    void SetTimeout(int milliseconds);
    int Timeout() const { return timeoutMs_; }

    // Makes fd (owned from now on) the current connection and records it in the peer
    // table under address. A connection still open is released first.
    void AttachConnection(int fd, const std::string& address = {}, std::uint16_t port = 0);
    bool HasConnection() const;
    bool ConnectionFailed() const { return failed_; }

    // Sends the text's bytes without terminator in one send; returns the count sent or
    // -1 (also when the connection has already failed).
    int SendCommand(const char* text);
    int SendCommand(const QByteArray& text);
    // One receive of at most capacity - 1 bytes into buffer, zero-terminated. Returns
    // the count; 0 with an empty text on failure, end of stream or time-out.
    int ReceiveReply(char* buffer, int capacity);
    QByteArray ReceiveReply(int capacity);

    // Sends a file: its size as decimal text, then its bytes in acknowledged chunks.
    // false when the file cannot be read (nothing sent), is 2 GiB or larger (nothing
    // sent), or the link fails on the way.
    bool SendFile(const QString& path);
    // The same for a file already open; each one is sent once.
    bool SendFile(CSendableFile& file);
    // Receives one file announced as name into folder. The name is cleaned of path and
    // shell characters; a name that cleans to nothing, "." or ".." is received and
    // dropped. Returns true when the file was stored (its path in *storedPath). A size
    // text that is not a non-negative 32-bit decimal number, or data that stop before
    // the size is reached, fail the connection; a partial file is removed. A file that
    // cannot be created is drained so the link stays in step, and false comes back.
    bool ReceiveFile(const QString& folder, const QString& name, QString* storedPath = nullptr);
    // Receives one file as ReceiveFile does and keeps none of it; true when all of it
    // arrived.
    bool DiscardFile();
    // Asks for the handheld's device name and ID (UTF-8; white space only reads as "").
    void ReadDeviceIdentity(QString& name, QString& id);

    // Ends the current connection: shuts it down, closes it, and drops its peer entry.
    void CloseConnection();
    // Closes the current connection's socket but keeps its peer entry (the listener's
    // release of a finished session whose desktop end the protocol leaves open).
    void ReleaseConnection();
    // Callable from any thread: shuts the current connection down so a call blocked on
    // it returns at once and the session fails.
    void Interrupt();

    const std::vector<std::unique_ptr<CSyncPeer>>& Peers() const { return peers_; }
    const CSyncPeer* CurrentPeer() const { return currentPeer_; }

    // Removes the characters \ / : * " < > | ; returns "" for names that would not
    // name a file inside the folder ("", ".", "..").
    static QString CleanReceivedName(const QString& name);

    // Sees every message (sent = true for sends) as it passes; file chunks included.
    // For transcripts and the simulator's hang-up; runs on the transport's thread.
    using Tracer = std::function<void(bool sent, const char* data, long size)>;
    void SetTracer(Tracer tracer) { tracer_ = std::move(tracer); }

private:
    long Receive(char* buffer, long size);
    long Send(const char* data, long size);
    bool ReceiveAck();
    // Reads the size text and acknowledges it; a bad size fails the connection.
    bool ReceiveFileSize(long long* size);
    // Takes size bytes in acknowledged chunks, writing them to out while *writeOk holds
    // (out -1 with *writeOk false drains them). True when all of them arrived.
    bool ReceiveFileData(long long size, int out, bool* writeOk);
    void DropSocket(bool removePeer);

    mutable std::mutex socketMutex_;  // guards socket_ against Interrupt from another thread
    int socket_ = -1;
    CSyncPeer* currentPeer_ = nullptr;
    std::vector<std::unique_ptr<CSyncPeer>> peers_;
    std::atomic<bool> failed_{false};
    int timeoutMs_ = kDefaultTimeoutMs;
    Tracer tracer_;
};
