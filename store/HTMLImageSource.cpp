// SPDX-License-Identifier: GPL-3.0-or-later
#include "HTMLImageSource.h"

#include <QStringDecoder>

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <limits>
#include <memory>
#include <mutex>

namespace {

void ignoreStructuredError(void *, xmlErrorPtr)
{ }
void ignoreGenericError(void *, const char *, ...)
{ }

/// Silences libxml2 for the lifetime of one parse. The parse options already switch the
/// parser's reports off, but a few messages (encoding conversion, memory) reach the
/// process-wide handlers, which print to standard error. libxml2 keeps those handlers per
/// thread, so installing and restoring them here affects no other thread.
class SilentErrors
{
public:
    SilentErrors()
        : m_structured(xmlStructuredError)
        , m_structuredContext(xmlStructuredErrorContext)
        , m_generic(xmlGenericError)
        , m_genericContext(xmlGenericErrorContext)
    {
        xmlSetStructuredErrorFunc(nullptr, ignoreStructuredError);
        xmlSetGenericErrorFunc(nullptr, ignoreGenericError);
    }
    ~SilentErrors()
    {
        xmlSetStructuredErrorFunc(m_structuredContext, m_structured);
        xmlSetGenericErrorFunc(m_genericContext, m_generic);
    }
    SilentErrors(const SilentErrors &) = delete;
    SilentErrors &operator=(const SilentErrors &) = delete;

private:
    xmlStructuredErrorFunc m_structured;
    void *m_structuredContext;
    xmlGenericErrorFunc m_generic;
    void *m_genericContext;
};

struct DocFree
{
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};

struct XmlFree
{
    void operator()(xmlChar *text) const { xmlFree(text); }
};

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    Q_UNUSED(text);
    return !decoder.hasError();
}

QByteArray utf8FromUtf16(QByteArrayView bytes, QStringConverter::Encoding encoding)
{
    QString text = QStringDecoder(encoding, QStringConverter::Flag::Stateless).decode(bytes);
    // Chromium ends the fragment with a NUL character.
    while (!text.isEmpty() && text.back() == QChar(u'\0'))
        text.chop(1);
    return text.toUtf8();
}

/// The bytes to parse and the encoding to tell the parser (nullptr: let it detect one).
struct Prepared
{
    QByteArray bytes;
    const char *encoding = "UTF-8";
};

Prepared prepare(const QByteArray &html)
{
    const QByteArrayView view(html);
    if (view.startsWith("\xFF\xFE"))
        return {utf8FromUtf16(view.sliced(2), QStringConverter::Utf16LE)};
    if (view.startsWith("\xFE\xFF"))
        return {utf8FromUtf16(view.sliced(2), QStringConverter::Utf16BE)};
    // UTF-16 without a byte-order mark: markup starts with an ASCII character.
    if (view.size() >= 2 && view[0] != '\0' && view[1] == '\0')
        return {utf8FromUtf16(view, QStringConverter::Utf16LE)};
    if (view.size() >= 2 && view[0] == '\0' && view[1] != '\0')
        return {utf8FromUtf16(view, QStringConverter::Utf16BE)};
    if (view.startsWith("\xEF\xBB\xBF")) {
        const QByteArrayView body = view.sliced(3);
        if (isValidUtf8(body))
            return {body.toByteArray()};
        return {QString::fromUtf8(body).toUtf8()};
    }
    if (isValidUtf8(view))
        return {html};
    // Not UTF-8: the parser follows a <meta> charset if there is one, else reads Latin-1.
    return {html, nullptr};
}

const xmlNode *firstElement(const xmlDoc *doc, const xmlChar *tag)
{
    // Iterative, so that deeply nested markup cannot exhaust the stack.
    const xmlNode *node = doc->children;
    while (node) {
        if (node->type == XML_ELEMENT_NODE) {
            if (xmlStrEqual(node->name, tag))
                return node;
            if (node->children) {
                node = node->children;
                continue;
            }
        }
        while (node && !node->next) {
            node = node->parent;
            if (node && (node->type == XML_HTML_DOCUMENT_NODE || node->type == XML_DOCUMENT_NODE))
                node = nullptr;
        }
        if (node)
            node = node->next;
    }
    return nullptr;
}

void initParser()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

} // namespace

namespace HTMLImageSource {

Result firstElementAttribute(const QByteArray &html, const QByteArray &tag, const QByteArray &attribute)
{
    if (html.isEmpty())
        return {};
    const Prepared input = prepare(html);
    if (input.bytes.isEmpty() || input.bytes.size() > std::numeric_limits<int>::max())
        return {};

    initParser();
    std::unique_ptr<xmlDoc, DocFree> doc;
    {
        const SilentErrors silence;
        int options = HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
        // Bytes already made UTF-8 must not be re-decoded by a <meta> charset naming another.
        if (input.encoding)
            options |= HTML_PARSE_IGNORE_ENC;
        doc.reset(htmlReadMemory(
            input.bytes.constData(), int(input.bytes.size()), nullptr, input.encoding, options));
    }
    if (!doc)
        return {};

    const xmlNode *element = firstElement(doc.get(), reinterpret_cast<const xmlChar *>(tag.constData()));
    if (!element)
        return {Status::NotFound, {}};
    const std::unique_ptr<xmlChar, XmlFree> value(
        xmlGetNoNsProp(element, reinterpret_cast<const xmlChar *>(attribute.constData())));
    if (!value)
        return {Status::NotFound, {}};
    return {Status::Found, QString::fromUtf8(reinterpret_cast<const char *>(value.get()))};
}

Result firstImageSource(const QByteArray &html)
{
    return firstElementAttribute(html, QByteArrayLiteral("img"), QByteArrayLiteral("src"));
}

} // namespace HTMLImageSource
