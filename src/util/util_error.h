#pragma once
// The error the text utilities raise to their callers. It carries a numeric
// code (6 overflow, 9 index out of range, ...) that callers can test for.

#include <QString>

#include <stdexcept>

namespace kinoleaf {

class UtilError : public std::runtime_error {
public:
    enum Code {
        InvalidArgument = 5,
        Overflow = 6,
        IndexOutOfRange = 9,
        TypeMismatch = 13,
    };

    UtilError(int code, const QString& description)
        : std::runtime_error(description.toStdString()), m_code(code), m_description(description) {}

    int code() const { return m_code; }
    const QString& description() const { return m_description; }

    static UtilError overflow() { return {Overflow, QStringLiteral("Overflow")}; }
    static UtilError indexOutOfRange() { return {IndexOutOfRange, QStringLiteral("Index out of range")}; }
    static UtilError typeMismatch() { return {TypeMismatch, QStringLiteral("Type mismatch")}; }

private:
    int m_code;
    QString m_description;
};

} // namespace kinoleaf
