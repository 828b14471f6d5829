#include "storage/COutlineDatabase.h"

#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <pugixml.hpp>

#include "storage/XmlOut.h"

namespace {

constexpr char16_t kRootName[] = u"OrvelleDoc";
const QString kVersion = QStringLiteral("//OrvelleDoc/Version");
const QString kTitle = QStringLiteral("//OrvelleDoc/Header/Title");
const QString kCategory = QStringLiteral("//OrvelleDoc/Header/Category");
const QString kDivider = QStringLiteral("//OrvelleDoc/Header/Numbering/Divider");
const QString kScheme = QStringLiteral("//OrvelleDoc/Header/Numbering/Scheme");
const QString kLevel = QStringLiteral("//OrvelleDoc/Header/Numbering/Level");
const QString kFontName = QStringLiteral("//OrvelleDoc/Header/Font/Name");
const QString kFontSize = QStringLiteral("//OrvelleDoc/Header/Font/Size");
const QString kFontBold = QStringLiteral("//OrvelleDoc/Header/Font/Bold");
const QString kFontItalic = QStringLiteral("//OrvelleDoc/Header/Font/Italic");
const QString kFontUnderline = QStringLiteral("//OrvelleDoc/Header/Font/Underline");
const QString kFontStrikeout = QStringLiteral("//OrvelleDoc/Header/Font/Strikeout");
const QString kFontRed = QStringLiteral("//OrvelleDoc/Header/Font/Color/Red");
const QString kFontGreen = QStringLiteral("//OrvelleDoc/Header/Font/Color/Green");
const QString kFontBlue = QStringLiteral("//OrvelleDoc/Header/Font/Color/Blue");
const QString kFontTrait = QStringLiteral("//OrvelleDoc/Header/Font/Trait");
const QString kOutlineItems = QStringLiteral("//OrvelleDoc/OutlineItems");
const QString kCheckState = QStringLiteral("//OrvelleDoc/Header/CheckState");
const QString kHeadingLevel = QStringLiteral("//OrvelleDoc/Header/HeadingLevel");
const QString kSelectedIndex = QStringLiteral("//OrvelleDoc/Header/SelectedIndex");
const QString kDocUID = QStringLiteral("//OrvelleDoc/Header/DocUID");
const QString kModified = QStringLiteral("//OrvelleDoc/Header/Modified");

const QString kUnfiled = QStringLiteral("Unfiled");

// The leading decimal value of UTF-8 text, as CMyDatabase::GetInt reads it.
int32_t LeadingInt(const char* s) {
    while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
    bool negative = false;
    if (*s == '+' || *s == '-') negative = *s++ == '-';
    int64_t v = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        v = v * 10 + (*s - '0');
        if (v > int64_t(INT32_MAX) + 1) v = int64_t(INT32_MAX) + 1;
    }
    if (negative) v = -v;
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The text content of an element as UTF-8: its only character data in the usual case,
// else everything below it joined (in scratch).
const char* LeafText(const pugi::xml_node& e, std::string& scratch) {
    const pugi::xml_node first = e.first_child();
    if (!first) return "";
    if (!first.next_sibling()) {
        const char* v = first.value();  // "" for an element child, whose text follows below
        if (*v || first.type() != pugi::node_element) return v;
    }
    scratch.clear();
    for (pugi::xml_node n = first; n && n != e;) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) scratch += n.value();
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n != e && !n.next_sibling()) n = n.parent();
        if (n == e) break;
        n = n.next_sibling();
    }
    return scratch.c_str();
}

QString LeafString(const pugi::xml_node& e, std::string& scratch) {
    const char* v = LeafText(e, scratch);
    return *v ? QString::fromUtf8(v, static_cast<qsizetype>(std::strlen(v))) : QString();
}

// The children of an Item as this program writes them, in order; other orders and
// unknown children are read too, just a little more slowly.
enum ItemField { kId, kIndent, kChecked, kExpanded, kDeleted, kText, kNote, kDrawing, kFieldCount };
constexpr const char* kItemFields[kFieldCount] = {"Id", "Indent", "Checked", "Expanded",
                                                   "Deleted", "Text", "Note", "Drawing"};

// name == literal, comparing no further than the first difference (so never past the
// end of a shorter name); inlined, unlike strcmp.
template <size_t N>
inline bool NameIs(const char* name, const char (&literal)[N]) {
    for (size_t i = 0; i < N; ++i)
        if (name[i] != literal[i]) return false;
    return true;
}

bool Is(const char* name, int field) {
    switch (field) {
    case kId: return NameIs(name, "Id");
    case kIndent: return NameIs(name, "Indent");
    case kChecked: return NameIs(name, "Checked");
    case kExpanded: return NameIs(name, "Expanded");
    case kDeleted: return NameIs(name, "Deleted");
    case kText: return NameIs(name, "Text");
    case kNote: return NameIs(name, "Note");
    case kDrawing: return NameIs(name, "Drawing");
    default: return false;
    }
}

int FieldOf(const char* name, int expected) {
    if (Is(name, expected)) return expected;
    for (int f = 0; f < kFieldCount; ++f)
        if (std::strcmp(name, kItemFields[f]) == 0) return f;
    return -1;
}

// A number field: the leading digits of its first character data, as GetInt reads them.
int32_t LeafInt(const pugi::xml_node& e) { return LeadingInt(e.child_value()); }

void ReadItem(const pugi::xml_node& item, COutlineRecord& r, std::string& scratch) {
    int expected = 0;
    for (pugi::xml_node c = item.first_child(); c; c = c.next_sibling()) {
        const char* name = c.name();
        if (!*name) continue;  // not an element
        const int field = FieldOf(name, expected);
        expected = field + 1;
        switch (field) {
        case kId: r.id = LeafInt(c); break;
        case kIndent: r.indent = static_cast<uint8_t>(LeafInt(c)); break;
        case kChecked: r.checked = LeafInt(c) != 0; break;
        case kExpanded: r.expanded = LeafInt(c) != 0; break;
        case kDeleted: r.deleted = LeafInt(c) != 0; break;
        case kText: r.text = LeafString(c, scratch); break;
        case kNote: r.note = LeafString(c, scratch); break;
        case kDrawing: r.drawing = LeafString(c, scratch); break;
        default: expected = 0; break;
        }
    }
}

void AppendLeaf(pugi::xml_node parent, const char* name, const QString& text) {
    pugi::xml_node e = parent.append_child(name);
    if (!text.isEmpty()) {
        // Same filtering as every other write: what XML cannot carry is left out.
        QString safe;
        safe.reserve(text.size());
        bool clean = true;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if ((c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D) || c == 0xFFFE || c == 0xFFFF ||
                (c >= 0xD800 && c <= 0xDFFF)) {
                clean = false;
                break;
            }
        }
        if (clean) {
            e.append_child(pugi::node_pcdata).set_value(text.toUtf8().constData());
        } else {
            // Keep valid surrogate pairs, drop the rest.
            for (qsizetype i = 0; i < text.size(); ++i) {
                const char16_t c = text[i].unicode();
                if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1].unicode() >= 0xDC00 &&
                    text[i + 1].unicode() <= 0xDFFF) {
                    safe.append(text[i]);
                    safe.append(text[++i]);
                    continue;
                }
                if ((c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D) || c == 0xFFFE || c == 0xFFFF ||
                    (c >= 0xD800 && c <= 0xDFFF))
                    continue;
                safe.append(text[i]);
            }
            if (!safe.isEmpty()) e.append_child(pugi::node_pcdata).set_value(safe.toUtf8().constData());
        }
    }
}

void AppendLeaf(pugi::xml_node parent, const char* name, int32_t n) {
    char digits[16];
    const auto r = std::to_chars(digits, digits + sizeof digits - 1, n);
    *r.ptr = 0;
    parent.append_child(name).append_child(pugi::node_pcdata).set_value(digits);
}

#define LEN(s) s, sizeof(s) - 1

}  // namespace

// ---------------------------------------------------------------------------------------

namespace {
// Record-sized slots carved from large blocks, handed out and taken back through a free
// list. The blocks are kept for reuse for the life of the process.
class RecordPool {
public:
    void* Take() {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_free) Refill();
        Slot* s = m_free;
        m_free = s->next;
        return s;
    }
    void Give(void* p) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto* s = static_cast<Slot*>(p);
        s->next = m_free;
        m_free = s;
    }

private:
    union Slot {
        Slot* next;
        alignas(COutlineRecord) unsigned char bytes[sizeof(COutlineRecord)];
    };
    static constexpr size_t kSlotsPerBlock = 4096;
    void Refill() {
        m_blocks.push_back(std::make_unique<Slot[]>(kSlotsPerBlock));
        Slot* block = m_blocks.back().get();
        for (size_t i = kSlotsPerBlock; i-- > 0;) {  // handed out in address order
            block[i].next = m_free;
            m_free = &block[i];
        }
    }
    std::mutex m_mutex;
    Slot* m_free = nullptr;
    std::vector<std::unique_ptr<Slot[]>> m_blocks;
};

RecordPool& Pool() {
    static RecordPool* pool = new RecordPool();  // never destroyed: records may outlive statics
    return *pool;
}
}  // namespace

// Under AddressSanitizer records use the general heap, so that a record used after its
// deletion is still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUsePool = false;
#else
constexpr bool kUsePool = true;
#endif

void* COutlineRecord::operator new(size_t size) {
    if (!kUsePool || size != sizeof(COutlineRecord)) return ::operator new(size);  // or a derived kind
    return Pool().Take();
}

void COutlineRecord::operator delete(void* p, size_t size) noexcept {
    if (!p) return;
    if (!kUsePool || size != sizeof(COutlineRecord)) {
        ::operator delete(p);
        return;
    }
    Pool().Give(p);
}

void COutlineRecord::Reset() {
    id = 0;
    indent = 0;
    text.clear();
    note.clear();
    expanded = true;
    checked = false;
    deleted = false;
    drawing.clear();
}

void COutlineRecord::CopyFieldsFrom(const COutlineRecord& other) {
    id = other.id;
    indent = other.indent;
    checked = other.checked;
    expanded = other.expanded;
    drawing = other.drawing;
    text = other.text;
    note = other.note;
    deleted = other.deleted;
}

CDBRecord* COutlineRecordset::CreateRecord() { return new COutlineRecord(); }

COutlineDatabase::COutlineDatabase() { COutlineDatabase::Init(); }

COutlineDatabase::~COutlineDatabase() = default;

CDBRecordset* COutlineDatabase::CreateRecordset() { return new COutlineRecordset(); }

void COutlineDatabase::Init() {
    InitNew();
    m_recordset.reset(CreateRecordset());
}

void COutlineDatabase::InitNew() {
    SetText(kVersion, QStringLiteral("1.0"));
    SetText(kTitle, QStringLiteral("Untitled"));
    SetText(kCategory, kUnfiled);
    SetText(kDivider, QString());
    SetText(kFontName, QStringLiteral("Calibri"));
    SetInt(kFontSize, 11);
    SetInt(kFontBold, 0);
    SetInt(kFontItalic, 0);
    SetInt(kFontUnderline, 0);
    SetInt(kFontStrikeout, 0);
    SetInt(kFontRed, 0);
    SetInt(kFontGreen, 0);
    SetInt(kFontBlue, 0);
    SetText(kFontTrait, QString());
    SetText(kOutlineItems, QString());
    SetInt(kCheckState, 1);
    SetInt(kHeadingLevel, 1);
    SetInt(kSelectedIndex, 1);
}

QString COutlineDatabase::DocumentElementName() const { return QString::fromUtf16(kRootName); }

CDBElement COutlineDatabase::RecordsContainer() const {
    const pugi::xml_node root = Document().document_element();
    if (!root || std::strcmp(root.name(), "OrvelleDoc") != 0) return CDBElement();
    return Wrap(root.child("OutlineItems").internal_object());
}

bool COutlineDatabase::ReadRecords() {
    COutlineRecordset* records = GetRecords();
    if (!records) return false;
    EnsureRecordElements();
    records->RemoveAll();
    std::string scratch;
    // Every Item in document order; an Item's own children are not searched. Only
    // elements have names, so the name alone tells an Item.
    const pugi::xml_node top = Document();
    for (pugi::xml_node n = top.first_child(); n;) {
        if (NameIs(n.name(), "Item")) {
            COutlineRecord* r = records->AddNew();
            if (!r) return false;
            ReadItem(n, *r, scratch);
        } else if (pugi::xml_node child = n.first_child()) {
            n = child;
            continue;
        }
        pugi::xml_node next = n.next_sibling();
        while (!next) {
            n = n.parent();
            if (!n || n == top) return true;
            next = n.next_sibling();
        }
        n = next;
    }
    return true;
}

bool COutlineDatabase::ReadRecordPiece(CDBElement piece) {
    COutlineRecordset* records = GetRecords();
    std::string scratch;
    for (pugi::xml_node n = pugi::xml_node(Unwrap(piece)).first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element) continue;  // text between items is not kept either way
        if (!NameIs(n.name(), "Item")) return false;
        COutlineRecord* r = records->AddNew();
        if (!r) return false;
        ReadItem(n, *r, scratch);
    }
    return true;
}

bool COutlineDatabase::WriteRecords() {
    m_recordsReleased = false;
    CDBElement container = RecordsContainer();
    if (!container) {
        SetText(kOutlineItems, QString());
        container = RecordsContainer();
        if (!container) return false;
    }
    pugi::xml_node items(Unwrap(container));
    while (pugi::xml_node c = items.first_child()) items.remove_child(c);
    const COutlineRecordset* records = GetRecords();
    if (!records) return true;
    for (int i = 0; i < records->GetCount(); ++i) {
        const COutlineRecord& r = *records->GetAt(i);
        pugi::xml_node item = items.append_child("Item");
        AppendLeaf(item, "Id", r.id);
        AppendLeaf(item, "Indent", static_cast<int32_t>(r.indent));
        AppendLeaf(item, "Checked", r.checked ? 1 : 0);
        AppendLeaf(item, "Expanded", r.expanded ? 1 : 0);
        AppendLeaf(item, "Deleted", r.deleted ? 1 : 0);
        AppendLeaf(item, "Text", r.text);
        AppendLeaf(item, "Note", r.note);
        AppendLeaf(item, "Drawing", r.drawing);
    }
    return true;
}

void COutlineDatabase::StreamRecords(XmlOut& out) const {
    const COutlineRecordset* records = GetRecords();
    if (!records) return;
    for (int i = 0; i < records->GetCount(); ++i) {
        const COutlineRecord& r = *records->GetAt(i);
        out.StartTag(LEN("Item"));
        out.Element(LEN("Id"), r.id);
        out.Element(LEN("Indent"), static_cast<int32_t>(r.indent));
        out.Element(LEN("Checked"), r.checked ? 1 : 0);
        out.Element(LEN("Expanded"), r.expanded ? 1 : 0);
        out.Element(LEN("Deleted"), r.deleted ? 1 : 0);
        out.Element(LEN("Text"), r.text);
        out.Element(LEN("Note"), r.note);
        out.Element(LEN("Drawing"), r.drawing);
        out.EndTag(LEN("Item"));
    }
}

// ---------------------------------------------------------------------------------------
// Header

void COutlineDatabase::GetTitle(QString& s) const { GetText(kTitle, s); }
QString COutlineDatabase::GetTitle() const { return GetText(kTitle); }
void COutlineDatabase::SetTitle(const QString& s) { SetText(kTitle, s); }
void COutlineDatabase::GetCategory(QString& s) const { GetText(kCategory, s); }
QString COutlineDatabase::GetCategory() const { return GetText(kCategory); }
void COutlineDatabase::SetCategory(const QString& s) { SetText(kCategory, s); }
void COutlineDatabase::GetDocUID(QString& s) const { GetText(kDocUID, s); }
QString COutlineDatabase::GetDocUID() const { return GetText(kDocUID); }
void COutlineDatabase::SetDocUID(const QString& s) { SetText(kDocUID, s); }
int32_t COutlineDatabase::GetModified() const { return GetInt(kModified); }
void COutlineDatabase::SetModified(int32_t flag) { SetInt(kModified, flag != 0 ? 1 : 0); }
int32_t COutlineDatabase::GetCheckState() const { return GetInt(kCheckState); }
void COutlineDatabase::SetCheckState(int32_t n) { SetInt(kCheckState, static_cast<uint8_t>(n)); }
int32_t COutlineDatabase::GetHeadingLevel() const { return GetInt(kHeadingLevel); }
void COutlineDatabase::SetHeadingLevel(int32_t n) { SetInt(kHeadingLevel, static_cast<uint8_t>(n)); }
int32_t COutlineDatabase::GetSelectedIndex() const { return GetInt(kSelectedIndex); }
void COutlineDatabase::SetSelectedIndex(int32_t n) { SetInt(kSelectedIndex, n); }
char16_t COutlineDatabase::GetDivider() const { return static_cast<char16_t>(GetInt(kDivider)); }
void COutlineDatabase::SetDivider(char16_t code) { SetInt(kDivider, code); }
int32_t COutlineDatabase::GetScheme() const { return GetInt(kScheme); }
void COutlineDatabase::SetScheme(int32_t n) { SetInt(kScheme, n); }

void COutlineDatabase::GetLevels(uint8_t levels[10]) const {
    for (int i = 0; i < 10; ++i) levels[i] = static_cast<uint8_t>(GetInt(kLevel + QString::number(i + 1)));
}

void COutlineDatabase::SetLevels(const uint8_t levels[10]) {
    for (int i = 0; i < 10; ++i) SetInt(kLevel + QString::number(i + 1), levels[i]);
}

int COutlineDatabase::DefaultDpi() {
    if (qGuiApp) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const int dpi = qRound(screen->logicalDotsPerInchY());
            if (dpi > 0) return dpi;
        }
    }
    return 96;
}

int32_t COutlineDatabase::MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    const int64_t p = int64_t(a) * int64_t(b);
    const bool negative = (p < 0) != (c < 0);
    const uint64_t up = p < 0 ? uint64_t(-p) : uint64_t(p);
    const uint64_t uc = c < 0 ? uint64_t(-int64_t(c)) : uint64_t(c);
    const uint64_t q = (up + uc / 2) / uc;
    if (q > uint64_t(INT32_MAX)) return -1;
    return negative ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
}

void COutlineDatabase::SetFont(const platform::LogFont& font, uint32_t color, int dpi) {
    if (dpi <= 0) dpi = DefaultDpi();
    SetText(kFontName, font.faceNameString());
    SetInt(kFontSize, -MulDiv(72, font.height, dpi));
    SetInt(kFontBold, font.weight == 700 ? 1 : 0);
    SetInt(kFontItalic, font.italic);
    SetInt(kFontUnderline, font.underline);
    SetInt(kFontStrikeout, font.strikeOut);
    SetInt(kFontRed, static_cast<int32_t>(color & 0xFF));
    SetInt(kFontGreen, static_cast<int32_t>((color >> 8) & 0xFF));
    SetInt(kFontBlue, static_cast<int32_t>((color >> 16) & 0xFF));
    SetText(kFontTrait, QString());
}

void COutlineDatabase::GetFont(platform::LogFont& font, uint32_t& color, int dpi) const {
    if (dpi <= 0) dpi = DefaultDpi();
    font = platform::LogFont();
    font.weight = 0;
    font.setFaceName(GetText(kFontName));  // cut to 31 characters
    font.height = -MulDiv(GetInt(kFontSize), dpi, 72);
    font.weight = GetInt(kFontBold) == 1 ? 700 : 400;
    font.italic = GetInt(kFontItalic) == 1 ? 1 : 0;
    font.underline = GetInt(kFontUnderline) == 1 ? 1 : 0;
    font.strikeOut = GetInt(kFontStrikeout) == 1 ? 1 : 0;
    color = (uint32_t(GetInt(kFontRed)) & 0xFF) | (uint32_t(GetInt(kFontGreen)) & 0xFF) << 8 |
            (uint32_t(GetInt(kFontBlue)) & 0xFF) << 16;
}

// ---------------------------------------------------------------------------------------
// Category replacement

namespace {
enum class CategoryResult { Failed, Unchanged, Changed };

CategoryResult ApplyFileCategory(const QString& path, bool force, const QString& oldCategory,
                                 const QString& newCategory) {
    COutlineDatabase db;
    if (!db.Open(path, 0)) return CategoryResult::Failed;
    if (!force && db.GetCategory() != oldCategory) return CategoryResult::Unchanged;
    db.SetCategory(newCategory);
    db.SetModified(1);
    return db.Save(path, 0) ? CategoryResult::Changed : CategoryResult::Failed;
}
}  // namespace

bool SetFileCategory(const QString& path, bool force, const QString& oldCategory, const QString& newCategory) {
    return ApplyFileCategory(path, force, oldCategory, newCategory) != CategoryResult::Failed;
}

int ReplaceCategoryInFolder(const QString& folder, const QString& extension, const QString& oldCategory,
                            const QString& newCategory) {
    const QString replacement = newCategory.isEmpty() ? kUnfiled : newCategory;
    const QDir dir(folder);
    const QFileInfoList files = dir.entryInfoList(QStringList{QStringLiteral("*.") + extension},
                                                  QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    int changed = 0;
    for (const QFileInfo& f : files) {
        if (f.suffix().compare(extension, Qt::CaseInsensitive) != 0) continue;
        if (ApplyFileCategory(f.filePath(), false, oldCategory, replacement) == CategoryResult::Changed) ++changed;
    }
    return changed;
}
