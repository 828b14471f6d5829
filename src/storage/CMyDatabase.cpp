#include "storage/CMyDatabase.h"

#include <algorithm>
#include <climits>
#include <cstring>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <pugixml.hpp>

#include "storage/XmlOut.h"

// ---------------------------------------------------------------------------------------
// CDBRecordset, CDBVariant

CDBRecordset::~CDBRecordset() { RemoveAll(); }

CDBRecord* CDBRecordset::AddNew() {
    CDBRecord* record = CreateRecord();
    if (!record) return nullptr;
    record->index = static_cast<int32_t>(m_records.size());
    m_records.push_back(record);
    return record;
}

CDBRecord* CDBRecordset::GetAt(int i) const {
    if (i < 0 || i >= GetCount()) return nullptr;
    return m_records[static_cast<size_t>(i)];
}

void CDBRecordset::RemoveAt(int i) {
    if (i < 0 || i >= GetCount()) return;
    delete m_records[static_cast<size_t>(i)];
    m_records.erase(m_records.begin() + i);
}

bool CDBRecordset::Remove(CDBRecord* record) {
    auto it = std::find(m_records.begin(), m_records.end(), record);
    if (it == m_records.end()) return false;
    delete *it;
    m_records.erase(it);
    return true;
}

void CDBRecordset::RemoveAll() {
    for (CDBRecord* r : m_records) delete r;
    m_records.clear();
}

void CDBRecordset::ClearOrder() { m_records.clear(); }

void CDBRecordset::Append(CDBRecord* record) {
    if (record) m_records.push_back(record);
}

CDBRecord* CDBRecordset::Detach(int i) {
    if (i < 0 || i >= GetCount()) return nullptr;
    CDBRecord* r = m_records[static_cast<size_t>(i)];
    m_records.erase(m_records.begin() + i);
    return r;
}

void CDBVariant::SetString(const QString& s) {
    m_string = s;
    m_type = kTypeString;
    m_size = 4;
}

void CDBVariant::Clear() {
    m_string.clear();
    m_type = kTypeEmpty;
    m_size = 0;
}

// ---------------------------------------------------------------------------------------
// Text helpers

namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

// Leaves out what XML 1.0 cannot carry; returns s itself when nothing needs to go.
QString XmlSafe(const QString& s) {
    const QChar* p = s.constData();
    const qsizetype n = s.size();
    auto bad = [&](qsizetype i, qsizetype* width) {
        const char16_t c = p[i].unicode();
        *width = 1;
        if (c < 0x20) return c != 0x09 && c != 0x0A && c != 0x0D;
        if (c == 0xFFFE || c == 0xFFFF) return true;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 < n && p[i + 1].unicode() >= 0xDC00 && p[i + 1].unicode() <= 0xDFFF) {
                *width = 2;
                return false;
            }
            return true;
        }
        return c >= 0xDC00 && c <= 0xDFFF;
    };
    qsizetype i = 0, w = 1;
    for (; i < n; i += w)
        if (bad(i, &w)) break;
    if (i == n) return s;
    QString out;
    out.reserve(n);
    out.append(p, i);
    for (; i < n; i += w)
        if (!bad(i, &w)) out.append(p + i, w);
    return out;
}

QByteArray ToUtf8(const QString& s) { return XmlSafe(s).toUtf8(); }

bool IsText(const pugi::xml_node& n) {
    return n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata;
}

// The text content of an element: its character data and that of its descendants.
QString TextContent(const pugi::xml_node& e) {
    const pugi::xml_node first = e.first_child();
    if (!first) return QString();
    if (IsText(first) && !first.next_sibling()) return QString::fromUtf8(first.value());
    std::string all;
    for (pugi::xml_node n = first; n && n != e;) {
        if (IsText(n)) all += n.value();
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n != e && !n.next_sibling()) n = n.parent();
        if (n == e) break;
        n = n.next_sibling();
    }
    return QString::fromStdString(all);
}

bool LooksLikeXml(const QByteArray& head) {
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF") ||
        head.startsWith(QByteArray("\0\0\xFE\xFF", 4)) || head.startsWith(QByteArray("<\0", 2)) ||
        head.startsWith(QByteArray("\0<", 2)) || head.startsWith(QByteArray("\0\0\0<", 4)))
        return true;
    qsizetype i = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n')) ++i;
    return i < head.size() ? head[i] == '<' : i > 0;
}

int32_t ParseLeadingInt(const QString& s) {
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n && (s[i] == u' ' || (s[i] >= u'\t' && s[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    int64_t v = 0;
    for (; i < n && s[i] >= u'0' && s[i] <= u'9'; ++i) {
        v = v * 10 + (s[i].unicode() - u'0');
        if (v > int64_t(INT32_MAX) + 1) v = int64_t(INT32_MAX) + 1;
    }
    if (negative) v = -v;
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Steps of an absolute path "//A/B/C" as UTF-8 names; empty when the path is not one.
std::vector<QByteArray> PathSteps(const QString& path) {
    std::vector<QByteArray> steps;
    if (!path.startsWith(u"//")) return steps;
    for (const QString& step : QStringView(path).mid(2).toString().split(u'/'))
        steps.push_back(step.toUtf8());
    for (const QByteArray& s : steps)
        if (s.isEmpty()) return {};
    return steps;
}

pugi::xml_node ChildElement(const pugi::xml_node& parent, const char* name) {
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && std::strcmp(c.name(), name) == 0) return c;
    return pugi::xml_node();
}

void SetElementText(pugi::xml_node e, const QString& value) {
    while (pugi::xml_node c = e.first_child()) e.remove_child(c);
    if (!value.isEmpty()) e.append_child(pugi::node_pcdata).set_value(ToUtf8(value).constData());
}

}  // namespace

// ---------------------------------------------------------------------------------------
// XmlOut

void CMyDatabase::XmlOut::Utf8Text(const char* s, size_t len, bool attribute) {
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    const auto* end = p + len;
    while (p < end) {
        // A run of bytes that go out as they are.
        const auto* run = p;
        while (p < end && *p >= 0x20 && *p < 0x80 && *p != '&' && *p != '<' && *p != '>' &&
               *p != '"')
            ++p;
        if (p > run) std::memcpy(Grow(static_cast<size_t>(p - run)), run, static_cast<size_t>(p - run));
        if (p >= end) break;
        const unsigned char c = *p;
        if (c < 0x80) {
            switch (c) {
            case '&': m_buf.append("&amp;"); break;
            case '<': m_buf.append("&lt;"); break;
            case '>': m_buf.append("&gt;"); break;
            case '"': m_buf.append(attribute ? "&quot;" : "\""); break;
            case '\r': m_buf.append("&#13;"); break;
            case '\n': m_buf.append(attribute ? "&#10;" : "\n"); break;
            case '\t': m_buf.append(attribute ? "&#9;" : "\t"); break;
            default: break;  // other control characters cannot be carried
            }
            ++p;
            continue;
        }
        // A multi-byte sequence: copy it when it is valid UTF-8 of an XML character.
        size_t need = 0;
        uint32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) { need = 1; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { need = 2; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { need = 3; cp = c & 0x07; }
        bool ok = need > 0 && static_cast<size_t>(end - p) > need;
        for (size_t k = 1; ok && k <= need; ++k) {
            if ((p[k] & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (p[k] & 0x3F);
        }
        if (ok) {
            const uint32_t minimum = need == 1 ? 0x80 : need == 2 ? 0x800 : 0x10000;
            ok = cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        }
        if (ok) {
            if (cp != 0xFFFE && cp != 0xFFFF) m_buf.append(reinterpret_cast<const char*>(p), need + 1);
            p += need + 1;
        } else {
            m_buf.append("\xEF\xBF\xBD");
            ++p;
        }
    }
}

void CMyDatabase::XmlOut::Text(const QString& s) {
    const char16_t* p = reinterpret_cast<const char16_t*>(s.constData());
    const qsizetype n = s.size();
    // Worst case 5 bytes ("&#13;") per unit.
    const size_t old = m_buf.size();
    char* out = Grow(static_cast<size_t>(n) * 5);
    char* o = out;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c < 0x80) {
            if (c >= 0x20) {
                switch (c) {
                case u'&': std::memcpy(o, "&amp;", 5); o += 5; break;
                case u'<': std::memcpy(o, "&lt;", 4); o += 4; break;
                case u'>': std::memcpy(o, "&gt;", 4); o += 4; break;
                default: *o++ = static_cast<char>(c);
                }
            } else if (c == u'\n' || c == u'\t') {
                *o++ = static_cast<char>(c);
            } else if (c == u'\r') {
                std::memcpy(o, "&#13;", 5);
                o += 5;
            }
        } else if (c < 0x800) {
            *o++ = static_cast<char>(0xC0 | (c >> 6));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] <= 0xDFFF) {
                const uint32_t cp = 0x10000 + ((uint32_t(c) - 0xD800) << 10) + (p[i + 1] - 0xDC00);
                *o++ = static_cast<char>(0xF0 | (cp >> 18));
                *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                *o++ = static_cast<char>(0x80 | (cp & 0x3F));
                ++i;
            }
            // an unpaired surrogate is left out
        } else if (c != 0xFFFE && c != 0xFFFF) {
            *o++ = static_cast<char>(0xE0 | (c >> 12));
            *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    m_buf.resize(old + static_cast<size_t>(o - out));
}

// ---------------------------------------------------------------------------------------
// CMyDatabase

CMyDatabase::CMyDatabase() : m_doc(std::make_unique<pugi::xml_document>()) {}

CMyDatabase::~CMyDatabase() = default;

void CMyDatabase::StreamRecords(XmlOut&) const {}

bool CMyDatabase::AcceptParsed(std::unique_ptr<pugi::xml_document>& parsed) const {
    const pugi::xml_node root = parsed->document_element();
    if (!root) return false;
    const QString expected = DocumentElementName();
    return expected.isEmpty() || expected.toUtf8() == root.name();
}

void* CMyDatabase::ReadWholeFile(const QString& path, size_t* size) {
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFileSize) return nullptr;
    if (!file.open(QIODevice::ReadOnly)) return nullptr;

    // A document starts with '<' once a byte-order mark and white space are passed (or
    // with a UTF-16/UTF-32 mark or '<' in those encodings). Anything else cannot be XML,
    // and a large file of it is not worth reading.
    if (!LooksLikeXml(file.peek(4096))) return nullptr;

    const qint64 length = file.size();
    void* buffer = pugi::get_memory_allocation_function()(static_cast<size_t>(length > 0 ? length : 1));
    if (!buffer) return nullptr;
    qint64 got = 0;
    while (got < length) {
        const qint64 r = file.read(static_cast<char*>(buffer) + got, length - got);
        if (r <= 0) break;
        got += r;
    }
    if (got != length) {
        pugi::get_memory_deallocation_function()(buffer);
        return nullptr;
    }
    *size = static_cast<size_t>(length);
    return buffer;
}

int CMyDatabase::Open(const QString& path, int flag) {
    size_t size = 0;
    void* buffer = ReadWholeFile(path, &size);
    if (!buffer) return 0;
    auto parsed = std::make_unique<pugi::xml_document>();
    const pugi::xml_parse_result result = parsed->load_buffer_inplace_own(buffer, size, kParseOptions);
    if (!result || !AcceptParsed(parsed)) return 0;
    m_doc = std::move(parsed);
    m_recordsReleased = false;
    if (flag == 1 && !ReadRecords()) return 0;
    return 1;
}

namespace {

struct FileBuffer {
    void* p = nullptr;
    ~FileBuffer() {
        if (p) pugi::get_memory_deallocation_function()(p);
    }
};

const char* Find(const char* from, const char* end, const std::string& what) {
    if (from >= end) return nullptr;
    return static_cast<const char*>(memmem(from, static_cast<size_t>(end - from), what.data(), what.size()));
}

// Searches from the end: what is looked for sits near it, after megabytes of records.
const char* FindLast(const char* begin, const char* end, const std::string& what) {
    const size_t n = what.size();
    for (const char* p = end; static_cast<size_t>(p - begin) >= n;) {
        const void* at = memrchr(begin, what[0], static_cast<size_t>(p - begin) - n + 1);
        if (!at) return nullptr;
        const char* c = static_cast<const char*>(at);
        if (std::memcmp(c, what.data(), n) == 0) return c;
        p = c + n - 1;
    }
    return nullptr;
}

// True when the bytes are UTF-8 as the parser would read them: no other byte-order mark
// and no declaration of another encoding.
bool IsUtf8Document(const char* p, size_t n) {
    if (n >= 2 && (static_cast<unsigned char>(p[0]) == 0xFF || static_cast<unsigned char>(p[0]) == 0xFE ||
                   p[0] == 0 || p[1] == 0))
        return false;
    if (n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) {
        p += 3;
        n -= 3;
    }
    if (n < 5 || std::memcmp(p, "<?xml", 5) != 0) return true;
    const char* end = Find(p, p + n, "?>");
    if (!end) return false;
    const char* enc = Find(p, end, "encoding");
    if (!enc) return true;
    const char* q = enc + 8;
    while (q < end && (*q == ' ' || *q == '=' || *q == '\t' || *q == '\r' || *q == '\n')) ++q;
    if (q >= end || (*q != '"' && *q != '\'')) return false;
    const char quote = *q++;
    const char* v = q;
    while (q < end && *q != quote) ++q;
    const QByteArray value = QByteArray(v, static_cast<qsizetype>(q - v)).toLower();
    return value == "utf-8" || value == "utf8";
}

int CountElements(const pugi::xml_node& top, const char* name) {
    int count = 0;
    for (pugi::xml_node n = top.first_child(); n;) {
        if (n.type() == pugi::node_element && std::strcmp(n.name(), name) == 0) ++count;
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && !n.next_sibling()) {
            n = n.parent();
            if (n == top) n = pugi::xml_node();
        }
        if (n) n = n.next_sibling();
    }
    return count;
}

}  // namespace

int CMyDatabase::OpenReleased(const QString& path) {
    const char* containerTag = RecordsContainerTag();
    const char* recordTag = RecordTag();
    if (containerTag && recordTag && GetRecordset()) {
        FileBuffer file;
        size_t size = 0;
        file.p = ReadWholeFile(path, &size);
        if (!file.p) return 0;
        if (OpenInPieces(static_cast<char*>(file.p), size, containerTag, recordTag)) return 1;
    }
    // Anything the piecewise reading does not take on (other encodings, unusual
    // layouts, errors) goes through the whole-document path, which also decides what
    // a bad file gives.
    if (!Open(path, 1)) return 0;
    ReleaseRecordElements();
    return 1;
}

bool CMyDatabase::OpenInPieces(char* buffer, size_t size, const char* containerTag, const char* recordTag) {
    if (!IsUtf8Document(buffer, size)) return false;
    const std::string open = std::string("<") + containerTag + ">";
    const std::string close = std::string("</") + containerTag + ">";
    const std::string recordEnd = std::string("</") + recordTag + ">";
    const char* end = buffer + size;
    const char* openAt = Find(buffer, end, open);
    if (!openAt) return false;
    const char* bodyBegin = openAt + open.size();
    const char* bodyEnd = FindLast(bodyBegin, end, close);
    if (!bodyEnd) return false;

    // The document without the records: if the cut went anywhere but around the one
    // records container (text in a comment, a CDATA section, a second container), this
    // does not parse or does not show exactly one empty container.
    std::string skeleton(buffer, static_cast<size_t>(bodyBegin - buffer));
    skeleton.append(bodyEnd, static_cast<size_t>(end - bodyEnd));
    auto parsed = std::make_unique<pugi::xml_document>();
    if (!parsed->load_buffer(skeleton.data(), skeleton.size(), kParseOptions, pugi::encoding_utf8) ||
        !AcceptParsed(parsed))
        return false;
    std::string().swap(skeleton);
    if (CountElements(*parsed, containerTag) != 1 || CountElements(*parsed, recordTag) != 0) return false;
    std::swap(m_doc, parsed);
    const CDBElement container = RecordsContainer();
    if (!container || pugi::xml_node(Unwrap(container)).first_child()) {
        std::swap(m_doc, parsed);
        return false;
    }

    // The records a piece at a time, each piece ending after a record's end tag: the
    // parser's nodes for one piece are few enough to stay in the cache and are reused
    // by the next, where the whole file's would be many times its size in fresh memory.
    // A cut inside a record (a nested record, an end tag in a comment or CDATA) leaves
    // an unclosed element or section, which the piece's parse reports.
    constexpr size_t kPiece = 256 * 1024;
    CDBRecordset* records = GetRecordset();
    records->RemoveAll();
    pugi::xml_document piece;
    bool ok = true;
    for (char* p = const_cast<char*>(bodyBegin); ok && p < bodyEnd;) {
        char* pieceEnd = const_cast<char*>(bodyEnd);
        if (static_cast<size_t>(bodyEnd - p) > kPiece) {
            if (const char* at = Find(p + kPiece, bodyEnd, recordEnd)) pieceEnd = const_cast<char*>(at) + recordEnd.size();
        }
        ok = piece.load_buffer_inplace(p, static_cast<size_t>(pieceEnd - p), kParseOptions | pugi::parse_fragment,
                                       pugi::encoding_utf8) &&
             ReadRecordPiece(Wrap(piece.internal_object()));
        piece.reset();
        p = pieceEnd;
    }
    if (!ok) {
        records->RemoveAll();
        std::swap(m_doc, parsed);
        return false;
    }
    m_recordsReleased = true;
    return true;
}

bool CMyDatabase::ReadRecordPiece(CDBElement) { return false; }

bool CMyDatabase::LoadXml(const QString& text) {
    const qsizetype last = text.lastIndexOf(u'>');
    if (last < 0) return false;
    const QByteArray utf8 = text.left(last + 1).toUtf8();
    auto parsed = std::make_unique<pugi::xml_document>();
    const pugi::xml_parse_result result =
        parsed->load_buffer(utf8.constData(), static_cast<size_t>(utf8.size()), kParseOptions, pugi::encoding_utf8);
    if (!result || !AcceptParsed(parsed)) return false;
    m_doc = std::move(parsed);
    m_recordsReleased = false;
    return true;
}

bool CMyDatabase::Serialise(std::string& out) const {
    out.clear();
    XmlOut w(out);
    const pugi::xml_node container(m_recordsReleased ? Unwrap(RecordsContainer()) : nullptr);
    const pugi::xml_node top = *m_doc;
    pugi::xml_node n = top.first_child();
    while (n) {
        bool descend = false;
        if (n.type() == pugi::node_element) {
            const char* name = n.name();
            const size_t len = std::strlen(name);
            if (n == container) {
                w.StartTag(name, len);
                std::string::size_type before = out.size();
                StreamRecords(w);
                if (out.size() == before) {
                    out.resize(before - len - 2);
                    w.EmptyTag(name, len);
                } else {
                    w.EndTag(name, len);
                }
            } else if (!n.first_attribute()) {
                if (n.first_child()) {
                    w.StartTag(name, len);
                    descend = true;
                } else {
                    w.EmptyTag(name, len);
                }
            } else {
                w.BeginStartTag(name, len);
                for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
                    w.Attribute(a.name(), a.value());
                w.CloseStartTag(!n.first_child());
                descend = n.first_child();
            }
        } else if (IsText(n)) {
            const char* v = n.value();
            w.Utf8Text(v, std::strlen(v));
        }
        if (descend) {
            n = n.first_child();
            continue;
        }
        // Climb, closing the elements whose children are done.
        while (!n.next_sibling()) {
            n = n.parent();
            if (!n || n == top) return true;
            w.EndTag(n.name(), std::strlen(n.name()));
        }
        n = n.next_sibling();
    }
    return true;
}

bool CMyDatabase::Save(const QString& path, int flag) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().isEmpty()) return false;
    const QString folder = info.absolutePath();
    QFileInfo folderInfo(folder);
    if (folderInfo.isDir() && !folderInfo.isWritable()) {
        // The folder's "read-only" is the owner's write permission.
        QFile::setPermissions(folder, QFile::permissions(folder) | QFileDevice::WriteOwner);
    }
    if (!QDir().mkpath(folder)) return false;

    if (flag != 0) {
        if (RecordsContainer() && GetRecordset()) ReleaseRecordElements();
        else if (!WriteRecords()) return false;
    }
    std::string xml;
    if (!Serialise(xml)) return false;

    QSaveFile file(info.absoluteFilePath());
    if (!file.open(QIODevice::WriteOnly)) return false;
    // QSaveFile buffers what is written: a short write on a full disk (or past a file
    // size limit) would otherwise surface only inside commit(), and some Qt versions
    // rename the cut-off file over the old one regardless. Every write and the flush
    // are checked here, so a failure cancels before anything is renamed.
    const char* p = xml.data();
    qint64 left = static_cast<qint64>(xml.size());
    while (left > 0) {
        const qint64 written = file.write(p, left);
        if (written <= 0) {
            file.cancelWriting();
            return false;
        }
        p += written;
        left -= written;
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void CMyDatabase::GetXml(QString& out) const {
    std::string xml;
    Serialise(xml);
    out = QString::fromUtf8(xml.data(), static_cast<qsizetype>(xml.size()));
}

QString CMyDatabase::GetXml() const {
    QString s;
    GetXml(s);
    return s;
}

void CMyDatabase::ReleaseRecordElements() {
    if (m_recordsReleased) return;
    const CDBElement container = RecordsContainer();
    if (!container || !GetRecordset()) return;
    pugi::xml_node c(Unwrap(container));
    while (pugi::xml_node child = c.first_child()) c.remove_child(child);
    m_recordsReleased = true;
    // A loaded document keeps the whole file's bytes for as long as any of its text
    // points into them; a copy of what is left holds only that.
    auto compact = std::make_unique<pugi::xml_document>();
    compact->reset(*m_doc);
    m_doc = std::move(compact);
#ifdef __GLIBC__
    // The freed nodes lie between the records read from them; without this the heap
    // keeps those pages and the process stays as large as it was with the whole DOM.
    malloc_trim(0);
#endif
}

void CMyDatabase::EnsureRecordElements() const {
    if (!m_recordsReleased) return;
    auto* self = const_cast<CMyDatabase*>(this);
    self->m_recordsReleased = false;
    self->WriteRecords();
}

CDBElement CMyDatabase::SelectElement(const QString& path) const {
    const std::vector<QByteArray> steps = PathSteps(path);
    if (steps.empty()) return CDBElement();
    pugi::xml_node n = m_doc->document_element();
    if (!n || steps[0] != n.name()) return CDBElement();
    const pugi::xml_node container(m_recordsReleased ? Unwrap(RecordsContainer()) : nullptr);
    for (size_t i = 1; i < steps.size() && n; ++i) {
        if (n == container) EnsureRecordElements();
        n = ChildElement(n, steps[i].constData());
    }
    return Wrap(n.internal_object());
}

void CMyDatabase::SetText(const QString& path, const QString& value) {
    if (CDBElement found = SelectElement(path)) {
        SetElementText(pugi::xml_node(Unwrap(found)), value);
        return;
    }
    const std::vector<QByteArray> steps = PathSteps(path);
    if (steps.empty()) return;
    pugi::xml_node parent;
    for (size_t i = 0; i + 1 < steps.size(); ++i) {
        pugi::xml_node n;
        if (i == 0) {
            n = m_doc->document_element();
            if (n && steps[0] != n.name()) return;  // another document's element
            if (!n) n = m_doc->append_child(steps[0].constData());
        } else {
            n = ChildElement(parent, steps[i].constData());
            if (!n) n = parent.append_child(steps[i].constData());
        }
        parent = n;
    }
    pugi::xml_node last = parent ? parent.append_child(steps.back().constData())
                                 : (m_doc->document_element() ? pugi::xml_node()
                                                              : m_doc->append_child(steps.back().constData()));
    if (last) SetElementText(last, value);
}

void CMyDatabase::SetInt(const QString& path, int32_t n) { SetText(path, QString::number(n)); }

bool CMyDatabase::GetText(const QString& path, QString& out) const {
    const CDBElement e = SelectElement(path);
    if (!e) {
        out.clear();
        return false;
    }
    out = TextContent(pugi::xml_node(Unwrap(e)));
    return true;
}

QString CMyDatabase::GetText(const QString& path) const {
    QString s;
    GetText(path, s);
    return s;
}

int32_t CMyDatabase::GetInt(const QString& path) const { return ParseLeadingInt(GetText(path)); }

CDBElement CMyDatabase::AddChild(CDBElement parent, const QString& name, const QString& text) {
    if (!parent) return CDBElement();
    EnsureRecordElements();
    pugi::xml_node p(Unwrap(parent));
    pugi::xml_node e = p.append_child(name.toUtf8().constData());
    if (e) SetElementText(e, text);
    return Wrap(e.internal_object());
}

bool CMyDatabase::GetChildText(CDBElement node, const QString& name, QString& out) const {
    out.clear();
    if (!node) return false;
    EnsureRecordElements();
    const pugi::xml_node c = ChildElement(pugi::xml_node(Unwrap(node)), name.toUtf8().constData());
    if (!c) return false;
    out = TextContent(c);
    return true;
}

QString CMyDatabase::ElementText(CDBElement node) const {
    if (!node) return QString();
    return TextContent(pugi::xml_node(Unwrap(node)));
}

std::vector<CDBElement> CMyDatabase::GetItems(const QString& name) const {
    EnsureRecordElements();
    std::vector<CDBElement> items;
    const QByteArray wanted = name.toUtf8();
    const pugi::xml_node top = *m_doc;
    for (pugi::xml_node n = top.first_child(); n;) {
        if (n.type() == pugi::node_element && wanted == n.name()) items.push_back(Wrap(n.internal_object()));
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && !n.next_sibling()) {
            n = n.parent();
            if (n == top) n = pugi::xml_node();
        }
        if (n) n = n.next_sibling();
    }
    return items;
}

void CMyDatabase::RemoveChildren(CDBElement node) {
    if (!node) return;
    EnsureRecordElements();
    pugi::xml_node e(Unwrap(node));
    while (pugi::xml_node c = e.first_child()) e.remove_child(c);
}
