#pragma once
// A growable UTF-16 text buffer for assembling long texts from many pieces.
// It grows by whole chunks (linearly, filling new slack with spaces), so an
// Append that fits is one memory move with no allocation.

#include <QString>
#include <QStringView>

#include <cstdint>

namespace kinoleaf {

class cStringBuilder {
public:
    static constexpr std::int32_t kDefaultChunkSize = 8192;

    std::int32_t Length() const { return m_length; }
    std::int32_t Capacity() const { return m_capacity; }
    std::int32_t ChunkSize() const { return m_chunkSize; }
    // Accepts 1..1073741823; UtilError code 6 outside -1073741824..1073741823,
    // code 5 for a value below 1 (growth needs a positive step).
    void ChunkSize(std::int32_t iChunkSize);

    QString toString() const;
    void TheString(QStringView sThis);
    void Clear();

    void Append(QStringView sThis);
    void Append(QChar c) { Append(QStringView(&c, 1)); }
    void AppendNL(QStringView sThis);
    void AppendByVal(QString sThis) { Append(QStringView(sThis)); }

    // Inserts after the first iIndex characters; UtilError code 9 when
    // iIndex is outside 0..Length.
    void Insert(std::int32_t iIndex, QStringView sThis);
    void InsertByVal(std::int32_t iIndex, QString sThis) { Insert(iIndex, QStringView(sThis)); }
    // Removes lLen characters after the first iIndex; code 9 when out of range.
    void Remove(std::int32_t iIndex, std::int32_t lLen);

    enum Compare { BinaryCompare = 0, TextCompare = 1 };
    // 1-based position of sToFind at or after lStartIndex, or 0. A match
    // counts only when it starts before the last character of the content and
    // lies wholly within it: the buffer's slack holds stale characters.
    std::int32_t Find(QStringView sToFind, std::int32_t lStartIndex = 1,
                      Compare compare = BinaryCompare) const;

    // Gives back slack beyond one chunk.
    void HeapMinimize();

private:
    void ensureFits(std::int64_t needed);

    QString m_buffer;  // m_capacity characters; the first m_length are the content
    std::int32_t m_length = 0;
    std::int32_t m_capacity = 0;
    std::int32_t m_chunkSize = kDefaultChunkSize;
};

} // namespace kinoleaf
