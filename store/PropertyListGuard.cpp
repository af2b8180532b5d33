// SPDX-License-Identifier: GPL-3.0-or-later
#include "PropertyListGuard.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr qsizetype kTrailerSize = 32;
constexpr qsizetype kHeaderSize = 8;

quint64 readBigEndian(const unsigned char *p, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | p[i];
    return value;
}

/// The container structure of a binary property list ("bplist00"), read just far enough to
/// measure how deep and how large libplist's tree of it would be.
class BinaryShape
{
public:
    explicit BinaryShape(QByteArrayView data)
        : m_data(reinterpret_cast<const unsigned char *>(data.data()))
        , m_size(quint64(data.size()))
    { }

    bool withinLimits()
    {
        if (!readTrailer())
            return false;
        m_state.assign(size_t(m_objectCount), State::Unvisited);
        m_depth.assign(size_t(m_objectCount), 0);
        m_nodes.assign(size_t(m_objectCount), 0);
        return walk(m_root);
    }

private:
    enum class State : unsigned char { Unvisited, Open, Done };

    struct Container
    {
        quint64 refsStart = 0;
        quint64 refCount = 0;
    };

    struct Frame
    {
        quint64 object;
        Container container;
        quint64 next = 0;
    };

    bool readTrailer()
    {
        if (m_size < quint64(kHeaderSize + kTrailerSize))
            return false;
        const unsigned char *trailer = m_data + m_size - kTrailerSize;
        m_offsetSize = trailer[6];
        m_refSize = trailer[7];
        m_objectCount = readBigEndian(trailer + 8, 8);
        m_root = readBigEndian(trailer + 16, 8);
        m_tableOffset = readBigEndian(trailer + 24, 8);
        m_objectsEnd = m_size - kTrailerSize;
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8)
            return false;
        if (m_objectCount == 0 || m_objectCount > PropertyListGuard::kMaxObjects || m_root >= m_objectCount)
            return false;
        // The offset table lies between the objects and the trailer.
        return m_tableOffset >= quint64(kHeaderSize) && m_tableOffset <= m_objectsEnd
            && m_objectCount <= (m_objectsEnd - m_tableOffset) / m_offsetSize;
    }

    // An ASCII (0x5) or UTF-16 (0x6) string that lies inside the object area and holds no
    // NUL character: libplist asserts, aborting the process, on a string or key with one.
    bool stringIsSound(quint64 offset, bool utf16) const
    {
        quint64 count = m_data[offset] & 0x0F;
        quint64 position = offset + 1;
        if (count == 0x0F && !readLength(position, count))
            return false;
        const quint64 unitSize = utf16 ? 2 : 1;
        if (count > (m_tableOffset - position) / unitSize)
            return false;
        for (quint64 i = 0; i < count; ++i) {
            const unsigned char *unit = m_data + position + i * unitSize;
            if (unit[0] == 0 && (!utf16 || unit[1] == 0))
                return false;
        }
        return true;
    }

    // A length too large for the marker's nibble follows as an integer object; on success
    // `position` is moved past it.
    bool readLength(quint64 &position, quint64 &count) const
    {
        if (position >= m_tableOffset)
            return false;
        const unsigned char intMarker = m_data[position];
        const int intSize = 1 << (intMarker & 0x0F);
        if ((intMarker >> 4) != 0x1 || intSize > 8 || quint64(intSize) > m_tableOffset - position - 1)
            return false;
        count = readBigEndian(m_data + position + 1, intSize);
        position += 1 + quint64(intSize);
        return true;
    }

    // The references of a container object; an empty container for any other object;
    // std::nullopt when the object cannot be located or read.
    std::optional<Container> containerAt(quint64 object) const
    {
        const quint64 offset = readBigEndian(m_data + m_tableOffset + object * m_offsetSize, m_offsetSize);
        if (offset < quint64(kHeaderSize) || offset >= m_tableOffset)
            return std::nullopt;
        const unsigned char marker = m_data[offset];
        const int type = marker >> 4;
        if (type == 0x5 || type == 0x6)
            return stringIsSound(offset, type == 0x6) ? std::optional<Container>(Container{}) : std::nullopt;
        // 0xA array, 0xB ordered set, 0xC set, 0xD dictionary (keys, then values).
        if (type < 0xA || type > 0xD)
            return Container{};
        quint64 count = marker & 0x0F;
        quint64 position = offset + 1;
        if (count == 0x0F && !readLength(position, count))
            return std::nullopt;
        const quint64 available = (m_tableOffset - position) / m_refSize;
        const quint64 refCount = type == 0xD ? count * 2 : count;
        if (count > available || refCount > available)
            return std::nullopt;
        return Container{position, refCount};
    }

    // Depth-first over the reference graph, each object measured once: depth and expanded
    // node count follow from the children's. A cycle or a bad reference refuses the data.
    bool walk(quint64 root)
    {
        std::vector<Frame> stack;
        const auto open = [&](quint64 object) -> bool {
            const std::optional<Container> container = containerAt(object);
            if (!container)
                return false;
            m_state[object] = State::Open;
            stack.push_back(Frame{object, *container});
            return stack.size() <= size_t(PropertyListGuard::kMaxDepth);
        };
        if (!open(root))
            return false;
        while (!stack.empty()) {
            Frame &frame = stack.back();
            if (frame.next == frame.container.refCount) {
                quint64 depth = 0;
                quint64 nodes = 1;
                for (quint64 i = 0; i < frame.container.refCount; ++i) {
                    const quint64 child = refAt(frame.container, i);
                    depth = std::max(depth, m_depth[child]);
                    nodes = std::min(nodes + m_nodes[child], PropertyListGuard::kMaxNodes + 1);
                }
                m_depth[frame.object] = depth + 1;
                m_nodes[frame.object] = nodes;
                m_state[frame.object] = State::Done;
                if (nodes > PropertyListGuard::kMaxNodes || depth + 1 > quint64(PropertyListGuard::kMaxDepth))
                    return false;
                stack.pop_back();
                continue;
            }
            const quint64 child = refAt(frame.container, frame.next++);
            if (child >= m_objectCount)
                return false;
            if (m_state[child] == State::Open)
                return false;
            if (m_state[child] == State::Unvisited && !open(child))
                return false;
        }
        return true;
    }

    quint64 refAt(const Container &container, quint64 index) const
    {
        return readBigEndian(m_data + container.refsStart + index * m_refSize, m_refSize);
    }

    const unsigned char *m_data;
    quint64 m_size;
    int m_offsetSize = 0;
    int m_refSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_root = 0;
    quint64 m_tableOffset = 0;
    quint64 m_objectsEnd = 0;
    std::vector<State> m_state;
    std::vector<quint64> m_depth;
    std::vector<quint64> m_nodes;
};

// Element nesting of an XML document, counted from its tags: start tags open, end tags
// close, empty-element tags, declarations, comments and processing instructions do neither.
// Markup inside comments or CDATA can only make the count larger, never smaller.
bool xmlNestingWithinLimits(QByteArrayView data)
{
    int depth = 0;
    const qsizetype size = data.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] != '<' || i + 1 >= size)
            continue;
        const char next = data[i + 1];
        if (next == '/') {
            depth = std::max(depth - 1, 0);
            continue;
        }
        if (next == '?' || next == '!')
            continue;
        const qsizetype close = data.indexOf('>', i + 1);
        if (close < 0)
            break;
        if (data[close - 1] != '/' && ++depth > PropertyListGuard::kMaxDepth)
            return false;
        i = close;
    }
    return true;
}

} // namespace

namespace PropertyListGuard {

bool withinLimits(QByteArrayView data)
{
    if (data.startsWith("bplist"))
        return BinaryShape(data).withinLimits();
    // A NUL byte has no place in XML, and libplist aborts on a string that holds one.
    if (data.contains('\0'))
        return false;
    return xmlNestingWithinLimits(data);
}

} // namespace PropertyListGuard
