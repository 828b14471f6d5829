#pragma once
// The stores' XML writer (private to this folder). It writes elements and text only,
// without declaration or whitespace between elements, and every character it writes is
// one that an XML 1.0 document can carry: CR goes out as "&#13;" (a raw CR LF would be
// folded into LF by any conforming parser), and characters that XML cannot hold are
// left out. Invalid UTF-8 in the document's text becomes U+FFFD.

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>

#include <QString>

#include "storage/CMyDatabase.h"

class CMyDatabase::XmlOut {
public:
    explicit XmlOut(std::string& buffer) : m_buf(buffer) {}

    void StartTag(const char* name, size_t len) {
        char* p = Grow(len + 2);
        *p++ = '<';
        std::memcpy(p, name, len);
        p[len] = '>';
    }
    void EndTag(const char* name, size_t len) {
        char* p = Grow(len + 3);
        *p++ = '<';
        *p++ = '/';
        std::memcpy(p, name, len);
        p[len] = '>';
    }
    void EmptyTag(const char* name, size_t len) {
        char* p = Grow(len + 3);
        *p++ = '<';
        std::memcpy(p, name, len);
        p[len] = '/';
        p[len + 1] = '>';
    }
    // Opens a start tag that attributes may follow; CloseStartTag(empty) ends it.
    void BeginStartTag(const char* name, size_t len) {
        char* p = Grow(len + 1);
        *p++ = '<';
        std::memcpy(p, name, len);
    }
    void Attribute(const char* name, const char* value) {
        const size_t len = std::strlen(name);
        char* p = Grow(len + 2);
        *p++ = ' ';
        std::memcpy(p, name, len);
        p[len] = '=';
        Put('"');
        Utf8Text(value, std::strlen(value), true);
        Put('"');
    }
    void CloseStartTag(bool empty) {
        if (empty) Put('/');
        Put('>');
    }

    // Character data given as UTF-8 (from the document).
    void Utf8Text(const char* s, size_t len, bool attribute = false);
    // Character data given as UTF-16.
    void Text(const QString& s);

    // <name>text</name>, or <name/> when text is empty.
    void Element(const char* name, size_t len, const QString& text) {
        if (text.isEmpty()) {
            EmptyTag(name, len);
            return;
        }
        StartTag(name, len);
        Text(text);
        EndTag(name, len);
    }
    void Element(const char* name, size_t len, int32_t n) {
        StartTag(name, len);
        char digits[16];
        const auto r = std::to_chars(digits, digits + sizeof digits, n);
        const size_t k = static_cast<size_t>(r.ptr - digits);
        std::memcpy(Grow(k), digits, k);
        EndTag(name, len);
    }

private:
    // Extends the buffer by n bytes and returns where they start.
    char* Grow(size_t n) {
        const size_t old = m_buf.size();
        if (m_buf.capacity() < old + n) m_buf.reserve(std::max(old + n, m_buf.capacity() * 2));
        m_buf.resize(old + n);
        return m_buf.data() + old;
    }
    void Put(char c) { m_buf.push_back(c); }

    std::string& m_buf;
};
