#include "util/string_builder.h"

#include "util/util_error.h"

#include <cstring>
#include <limits>

namespace kinoleaf {
namespace {

constexpr std::int64_t kMaxSize = std::numeric_limits<std::int32_t>::max();

std::int32_t checkedSize(std::int64_t value) {
    if (value > kMaxSize || value < -kMaxSize - 1) throw UtilError::overflow();
    return std::int32_t(value);
}

} // namespace

void cStringBuilder::ChunkSize(std::int32_t iChunkSize) {
    // The chunk was once kept in bytes, hence the halved 32-bit range.
    if (iChunkSize < -1073741824 || iChunkSize > 1073741823) throw UtilError::overflow();
    if (iChunkSize < 1)
        throw UtilError(UtilError::InvalidArgument, QStringLiteral("Chunk size must be at least 1"));
    m_chunkSize = iChunkSize;
}

QString cStringBuilder::toString() const {
    if (m_length == 0) return {};
    // An explicit copy: returning a shared buffer would make the next Append detach it.
    return QString(m_buffer.constData(), m_length);
}

void cStringBuilder::ensureFits(std::int64_t needed) {
    if (needed <= m_capacity) return;
    const std::int64_t missing = needed - m_capacity;
    const std::int64_t chunks = (missing + m_chunkSize - 1) / m_chunkSize;
    const std::int32_t newCapacity = checkedSize(m_capacity + chunks * m_chunkSize);
    m_buffer.resize(newCapacity, QLatin1Char(' '));
    m_capacity = newCapacity;
}

void cStringBuilder::TheString(QStringView sThis) {
    const std::int32_t n = checkedSize(sThis.size());
    if (n == 0) {
        Clear();
        return;
    }
    ensureFits(n);
    std::memmove(m_buffer.data(), sThis.data(), std::size_t(n) * sizeof(QChar));
    m_length = n;
}

void cStringBuilder::Clear() {
    m_buffer = QString();
    m_length = 0;
    m_capacity = 0;
}

void cStringBuilder::Append(QStringView sThis) {
    const std::int32_t n = checkedSize(sThis.size());
    if (n == 0) return;
    const std::int32_t newLength = checkedSize(std::int64_t(m_length) + n);
    if (newLength > m_capacity) {
        // The piece may be a view into our own buffer; growth reallocates it.
        if (sThis.data() >= m_buffer.constData() && sThis.data() < m_buffer.constData() + m_capacity) {
            const QString copy = sThis.toString();
            ensureFits(newLength);
            std::memmove(m_buffer.data() + m_length, copy.constData(), std::size_t(n) * sizeof(QChar));
            m_length = newLength;
            return;
        }
        ensureFits(newLength);
    }
    std::memmove(m_buffer.data() + m_length, sThis.data(), std::size_t(n) * sizeof(QChar));
    m_length = newLength;
}

void cStringBuilder::AppendNL(QStringView sThis) {
    Append(sThis);
    Append(u"\r\n");
}

void cStringBuilder::Insert(std::int32_t iIndex, QStringView sThis) {
    if (iIndex > m_length || iIndex < 0) throw UtilError::indexOutOfRange();
    const QString piece = sThis.toString();  // sThis may point into our buffer
    const std::int32_t n = checkedSize(piece.size());
    if (n == 0) return;
    const std::int32_t newLength = checkedSize(std::int64_t(m_length) + n);
    ensureFits(newLength);
    QChar* base = m_buffer.data();
    std::memmove(base + iIndex + n, base + iIndex, std::size_t(m_length - iIndex) * sizeof(QChar));
    std::memmove(base + iIndex, piece.constData(), std::size_t(n) * sizeof(QChar));
    m_length = newLength;
}

void cStringBuilder::Remove(std::int32_t iIndex, std::int32_t lLen) {
    if (iIndex > m_length || iIndex < 0) throw UtilError::indexOutOfRange();
    const std::int32_t end = checkedSize(std::int64_t(iIndex) + lLen);
    if (end > m_length || lLen < 0) throw UtilError::indexOutOfRange();
    if (lLen == 0) return;
    QChar* base = m_buffer.data();
    std::memmove(base + iIndex, base + end, std::size_t(m_length - end) * sizeof(QChar));
    m_length -= lLen;
}

std::int32_t cStringBuilder::Find(QStringView sToFind, std::int32_t lStartIndex, Compare compare) const {
    const std::int64_t start = lStartIndex < 1 ? 1 : lStartIndex;
    if (start > m_capacity) return 0;
    const QStringView whole(m_buffer.constData(), m_capacity);
    const qsizetype at = whole.indexOf(sToFind, qsizetype(start - 1),
                                       compare == TextCompare ? Qt::CaseInsensitive : Qt::CaseSensitive);
    if (at < 0) return 0;
    const std::int64_t position = at + 1;
    if (position >= m_length || at + sToFind.size() > m_length) return 0;
    return std::int32_t(position);
}

void cStringBuilder::HeapMinimize() {
    const std::int32_t slack = m_capacity - m_length;
    if (slack <= m_chunkSize) return;
    // Fewest whole chunks that bring the slack down to at most one chunk.
    const std::int32_t chunks = (slack - m_chunkSize + m_chunkSize - 1) / m_chunkSize;
    m_capacity -= chunks * m_chunkSize;
    m_buffer.truncate(m_capacity);
    m_buffer.squeeze();
}

} // namespace kinoleaf
