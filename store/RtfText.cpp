// SPDX-License-Identifier: GPL-3.0-or-later
#include "RtfText.h"

#include <QHash>
#include <QStringDecoder>

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <string_view>
#include <vector>

namespace {

// cp1252 differs from Latin-1 only in 0x80–0x9F; the five unassigned bytes keep their C1
// code points, as Windows itself maps them.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

constexpr char16_t kReplacement = 0xFFFD;

/// Turns the bytes of \'hh escapes (and stray 8-bit bytes) into text in one code page.
/// cp1252, UTF-8 and Latin-1 are decoded here; every other Windows or Mac code page goes
/// through the C library's iconv, and an unknown one falls back to cp1252.
class CodePageDecoder
{
public:
    CodePageDecoder() = default;
    CodePageDecoder(const CodePageDecoder &) = delete;
    CodePageDecoder &operator=(const CodePageDecoder &) = delete;
    ~CodePageDecoder() { closeIconv(); }

    void setCodePage(int codePage)
    {
        if (codePage == m_codePage)
            return;
        closeIconv();
        m_codePage = codePage;
        m_kind = Kind::Cp1252;
        switch (codePage) {
        case 1252:
            return;
        case 65001:
            m_kind = Kind::Utf8;
            return;
        case 28591:
            m_kind = Kind::Latin1;
            return;
        default:
            break;
        }
        const QByteArray name
            = codePage == 10000 ? QByteArray("MACINTOSH") : "CP" + QByteArray::number(codePage);
        m_iconv = iconv_open("UTF-16LE", name.constData());
        if (m_iconv != invalidIconv())
            m_kind = Kind::Iconv;
    }

    void decode(const QByteArray &bytes, QString &out)
    {
        switch (m_kind) {
        case Kind::Cp1252:
            for (const char byte : bytes) {
                const auto value = static_cast<unsigned char>(byte);
                out.append(
                    QChar(value >= 0x80 && value < 0xA0 ? kCp1252High[value - 0x80] : char16_t(value)));
            }
            return;
        case Kind::Latin1:
            out.append(QString::fromLatin1(bytes));
            return;
        case Kind::Utf8:
            out.append(
                QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless).decode(bytes));
            return;
        case Kind::Iconv:
            decodeWithIconv(bytes, out);
            return;
        }
    }

private:
    enum class Kind { Cp1252, Latin1, Utf8, Iconv };

    static iconv_t invalidIconv() { return reinterpret_cast<iconv_t>(-1); }

    void closeIconv()
    {
        if (m_iconv != invalidIconv())
            iconv_close(m_iconv);
        m_iconv = invalidIconv();
    }

    void decodeWithIconv(const QByteArray &bytes, QString &out)
    {
        iconv(m_iconv, nullptr, nullptr, nullptr, nullptr);
        // iconv's interface takes non-const input; it never writes through it.
        char *in = const_cast<char *>(bytes.constData());
        size_t inLeft = size_t(bytes.size());
        std::array<char16_t, 256> buffer{};
        while (inLeft > 0) {
            char *outPtr = reinterpret_cast<char *>(buffer.data());
            size_t outLeft = sizeof(buffer);
            const size_t result = iconv(m_iconv, &in, &inLeft, &outPtr, &outLeft);
            const int error = errno;
            const auto produced = qsizetype((sizeof(buffer) - outLeft) / sizeof(char16_t));
            out.append(QStringView(buffer.data(), produced));
            if (result != size_t(-1))
                continue;
            if (error == E2BIG)
                continue;
            // An invalid or cut-off sequence stands for one unreadable character.
            out.append(QChar(kReplacement));
            if (error != EILSEQ && error != EINVAL)
                return;
            ++in;
            --inLeft;
            iconv(m_iconv, nullptr, nullptr, nullptr, nullptr);
        }
    }

    Kind m_kind = Kind::Cp1252;
    int m_codePage = 1252;
    iconv_t m_iconv = invalidIconv();
};

// Destinations whose content is not body text: when one of these control words opens a
// group, the whole group is skipped.
bool isSkippedDestination(std::string_view word)
{
    static constexpr std::array<std::string_view, 52> kSkipped = {
        "annotation",
        "atnauthor",
        "atndate",
        "atnid",
        "atnref",
        "author",
        "bkmkend",
        "bkmkstart",
        "colortbl",
        "comment",
        "company",
        "datastore",
        "doccomm",
        "expandedcolortbl",
        "filetbl",
        "fldinst",
        "footer",
        "footerf",
        "footerl",
        "footerr",
        "footnote",
        "generator",
        "header",
        "headerf",
        "headerl",
        "headerr",
        "info",
        "keywords",
        "latentstyles",
        "listoverridetable",
        "listtable",
        "NeXTGraphic",
        "nonshppict",
        "object",
        "objdata",
        "operator",
        "pgdsctbl",
        "pict",
        "pnseclvl",
        "pntxta",
        "pntxtb",
        "private",
        "revtbl",
        "rsidtbl",
        "rxe",
        "stylesheet",
        "subject",
        "tc",
        "themedata",
        "title",
        "txe",
        "upr",
    };
    return std::find(kSkipped.begin(), kSkipped.end(), word) != kSkipped.end();
}

// Control words that stand for one character.
char16_t characterForWord(std::string_view word)
{
    struct Entry
    {
        std::string_view word;
        char16_t character;
    };
    static constexpr std::array<Entry, 23> kCharacters = {{
        {"par", u'\n'},
        {"line", u'\n'},
        {"sect", u'\n'},
        {"page", u'\n'},
        {"row", u'\n'},
        {"lbr", u'\n'},
        {"tab", u'\t'},
        {"cell", u'\t'},
        {"nestcell", u'\t'},
        {"emdash", 0x2014},
        {"endash", 0x2013},
        {"emspace", 0x2003},
        {"enspace", 0x2002},
        {"qmspace", 0x2005},
        {"bullet", 0x2022},
        {"lquote", 0x2018},
        {"rquote", 0x2019},
        {"ldblquote", 0x201C},
        {"rdblquote", 0x201D},
        {"zwj", 0x200D},
        {"zwnj", 0x200C},
        {"ltrmark", 0x200E},
        {"rtlmark", 0x200F},
    }};
    for (const Entry &entry : kCharacters) {
        if (entry.word == word)
            return entry.character;
    }
    return 0;
}

// The code page of a font's \fcharsetN; 0 when the font follows the document's code page.
int codePageForCharset(qint64 charset)
{
    switch (charset) {
    case 0:
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class Reader
{
public:
    Reader(const QByteArray &rtf, qsizetype maxChars)
        : m_data(rtf.constData())
        , m_size(rtf.size())
        , m_maxChars(maxChars)
    { }

    QString run()
    {
        while (m_pos < m_size && !m_done) {
            const char c = m_data[m_pos++];
            if (m_overflow > 0) {
                skipOverflow(c);
                continue;
            }
            switch (c) {
            case '{':
                openGroup();
                break;
            case '}':
                closeGroup();
                break;
            case '\\':
                controlSequence();
                break;
            case '\r':
            case '\n':
                // Line breaks in the source are formatting of the file, not text.
                break;
            default:
                textByte(c);
                break;
            }
        }
        flushBytes();
        return finish();
    }

private:
    struct Group
    {
        bool skip = false;
        int unicodeSkip = 1; // \ucN: fallback characters after each \uN
        int font = -1; // \fN in effect; -1: the document's default font (\deffN)
        bool fontTable = false;
    };

    void skipOverflow(char c)
    {
        if (c == '\\')
            ++m_pos; // an escaped brace must not count
        else if (c == '{')
            ++m_overflow;
        else if (c == '}')
            --m_overflow;
    }

    void openGroup()
    {
        m_pendingSkip = 0;
        if (m_groups.size() >= size_t(RtfText::kMaxDepth)) {
            m_overflow = 1;
            return;
        }
        m_groups.push_back(m_groups.empty() ? Group() : m_groups.back());
        m_groupStart = true;
        m_sawStar = false;
    }

    void closeGroup()
    {
        m_pendingSkip = 0;
        m_groupStart = false;
        m_sawStar = false;
        if (m_groups.empty())
            return;
        m_groups.pop_back();
        // The document's outermost group has ended: whatever follows is not part of it.
        if (m_groups.empty())
            m_done = true;
    }

    bool skipping() const { return m_groups.empty() || m_groups.back().skip; }

    // Consumes one character of an \uN's fallback; true when this one is to be dropped.
    bool consumeFallback()
    {
        if (m_pendingSkip <= 0)
            return false;
        --m_pendingSkip;
        return true;
    }

    void textByte(char c)
    {
        m_groupStart = false;
        if (consumeFallback() || skipping())
            return;
        const auto value = static_cast<unsigned char>(c);
        if (value == '\t')
            put(u'\t');
        else if (value >= 0x80)
            addByte(c);
        else if (value >= 0x20)
            put(char16_t(value));
    }

    void controlSequence()
    {
        if (m_pos >= m_size)
            return;
        if (!isAsciiLetter(m_data[m_pos])) {
            controlSymbol(m_data[m_pos++]);
            return;
        }
        const qsizetype wordStart = m_pos;
        while (m_pos < m_size && isAsciiLetter(m_data[m_pos]))
            ++m_pos;
        const std::string_view word(m_data + wordStart, size_t(m_pos - wordStart));

        bool hasParameter = false;
        bool negative = false;
        qint64 parameter = 0;
        if (m_pos < m_size && m_data[m_pos] == '-' && m_pos + 1 < m_size && m_data[m_pos + 1] >= '0'
            && m_data[m_pos + 1] <= '9') {
            negative = true;
            ++m_pos;
        }
        while (m_pos < m_size && m_data[m_pos] >= '0' && m_data[m_pos] <= '9') {
            hasParameter = true;
            // Saturate: a parameter is at most 32 bits; longer digit runs stay linear.
            if (parameter < std::numeric_limits<qint32>::max())
                parameter = parameter * 10 + (m_data[m_pos] - '0');
            ++m_pos;
        }
        parameter = std::min<qint64>(parameter, std::numeric_limits<qint32>::max());
        if (negative)
            parameter = -parameter;
        if (m_pos < m_size && m_data[m_pos] == ' ')
            ++m_pos;

        controlWord(word, hasParameter, parameter);
    }

    void controlWord(std::string_view word, bool hasParameter, qint64 parameter)
    {
        const bool atGroupStart = m_groupStart;
        m_groupStart = false;
        if (m_sawStar) {
            m_sawStar = false;
            // {\*\ud …} is the Unicode twin of an \upr group, whose other half is skipped.
            m_groups.back().skip = word != "ud";
            return;
        }
        if (m_groups.back().fontTable) {
            fontTableWord(word, hasParameter, parameter);
            return;
        }
        if (atGroupStart && word == "fonttbl") {
            // Not text, but its fonts' character sets decide how \'hh bytes read.
            m_groups.back().skip = true;
            m_groups.back().fontTable = true;
            return;
        }
        if (atGroupStart && isSkippedDestination(word)) {
            m_groups.back().skip = true;
            // An attachment is written as {{\NeXTGraphic name …}<placeholder>}: its
            // placeholder character goes with it.
            if (word == "NeXTGraphic" && m_groups.size() >= 3)
                m_groups[m_groups.size() - 2].skip = true;
            return;
        }
        if (word == "bin") {
            // Raw binary data: never text, and its bytes may look like braces.
            const qint64 count = hasParameter ? std::max<qint64>(parameter, 0) : 0;
            m_pos += qsizetype(std::min<qint64>(count, m_size - m_pos));
            consumeFallback();
            return;
        }
        if (consumeFallback() || skipping())
            return;

        if (word == "u" && hasParameter) {
            // \uN is a signed 16-bit value; negative ones stand for code units above 0x7FFF.
            const qint64 unit = parameter < 0 ? parameter + 0x10000 : parameter;
            if (unit > 0 && unit <= 0xFFFF)
                put(char16_t(unit));
            m_pendingSkip = m_groups.back().unicodeSkip;
        } else if (word == "uc") {
            m_groups.back().unicodeSkip = int(std::clamp<qint64>(parameter, 0, 1000));
        } else if (word == "f" && hasParameter) {
            m_groups.back().font = int(parameter);
        } else if (word == "deff" && hasParameter) {
            m_defaultFont = int(parameter);
        } else if (word == "ansicpg" && hasParameter) {
            m_documentCodePage = int(parameter);
        } else if (word == "ansi") {
            m_documentCodePage = 1252;
        } else if (word == "mac") {
            m_documentCodePage = 10000;
        } else if (word == "pc") {
            m_documentCodePage = 437;
        } else if (word == "pca") {
            m_documentCodePage = 850;
        } else if (const char16_t character = characterForWord(word)) {
            put(character);
        }
    }

    void controlSymbol(char symbol)
    {
        const bool atGroupStart = m_groupStart;
        m_groupStart = false;
        if (symbol == '*') {
            // {\*\dest …}: an optional destination; readers that don't know it skip it.
            if (atGroupStart)
                m_sawStar = true;
            return;
        }
        if (symbol == '\'') {
            int value = -1;
            if (m_pos + 1 < m_size) {
                const int high = hexValue(m_data[m_pos]);
                const int low = hexValue(m_data[m_pos + 1]);
                if (high >= 0 && low >= 0) {
                    value = high * 16 + low;
                    m_pos += 2;
                }
            }
            if (consumeFallback() || skipping() || value < 0)
                return;
            if (value >= 0x80)
                addByte(char(value));
            else if (value == '\t')
                put(u'\t');
            else if (value >= 0x20)
                put(char16_t(value));
            return;
        }
        if (consumeFallback() || skipping())
            return;
        switch (symbol) {
        case '\\':
        case '{':
        case '}':
            put(char16_t(symbol));
            break;
        case '~':
            put(0x00A0);
            break;
        case '_':
            put(0x2011);
            break;
        case '\t':
            put(u'\t');
            break;
        case '\n':
        case '\r':
            // A backslash before a line break in the source is a paragraph mark.
            put(u'\n');
            break;
        default:
            // \- (optional hyphen), \: (index subentry), \| (formula) and unknown symbols
            break;
        }
    }

    void fontTableWord(std::string_view word, bool hasParameter, qint64 parameter)
    {
        if (!hasParameter)
            return;
        if (word == "f") {
            m_definingFont = int(parameter);
        } else if (word == "fcharset" || word == "cpg") {
            const int codePage = word == "cpg" ? int(parameter) : codePageForCharset(parameter);
            if (codePage > 0)
                m_fontCodePages.insert(m_definingFont, codePage);
            else
                m_fontCodePages.remove(m_definingFont);
        }
    }

    int currentCodePage() const
    {
        const int font = m_groups.back().font >= 0 ? m_groups.back().font : m_defaultFont;
        return m_fontCodePages.value(font, m_documentCodePage);
    }

    void addByte(char byte)
    {
        // Bytes of one run share a code page; a change of font or code page ends the run.
        const int codePage = currentCodePage();
        if (codePage != m_bytesCodePage) {
            flushBytes();
            m_decoder.setCodePage(codePage);
            m_bytesCodePage = codePage;
        }
        m_bytes.append(byte);
        // Bytes are decoded in runs so that double-byte code pages see whole characters;
        // a long run is decoded in pieces to keep the output limit effective.
        if (m_bytes.size() >= 4096)
            flushBytes();
    }

    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        m_decoder.decode(m_bytes, m_text);
        m_bytes.clear();
        checkLimit();
    }

    void put(char16_t character)
    {
        flushBytes();
        m_text.append(QChar(character));
        checkLimit();
    }

    void checkLimit()
    {
        if (m_maxChars >= 0 && m_text.size() >= m_maxChars)
            m_done = true;
    }

    QString finish()
    {
        if (m_maxChars >= 0 && m_text.size() > m_maxChars)
            m_text.truncate(m_maxChars);
        if (m_maxChars >= 0 && m_text.size() == m_maxChars && !m_text.isEmpty()
            && m_text.back().isHighSurrogate())
            m_text.chop(1);
        return m_text;
    }

    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    qsizetype m_maxChars;
    std::vector<Group> m_groups;
    int m_overflow = 0;
    int m_pendingSkip = 0;
    bool m_groupStart = false;
    bool m_sawStar = false;
    bool m_done = false;
    QByteArray m_bytes;
    QString m_text;
    CodePageDecoder m_decoder;
    int m_bytesCodePage = 1252; // the decoder's code page
    int m_documentCodePage = 1252;
    int m_defaultFont = -1;
    int m_definingFont = -1;
    QHash<int, int> m_fontCodePages;
};

} // namespace

namespace RtfText {

std::optional<QString> plainText(const QByteArray &rtf, qsizetype maxChars)
{
    qsizetype start = 0;
    while (start < rtf.size()
        && (rtf[start] == ' ' || rtf[start] == '\t' || rtf[start] == '\r' || rtf[start] == '\n'))
        ++start;
    if (!QByteArrayView(rtf).sliced(start).startsWith("{\\rtf"))
        return std::nullopt;
    if (maxChars == 0)
        return QString();
    return Reader(rtf, maxChars).run();
}

} // namespace RtfText
