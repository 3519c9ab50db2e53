#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Finds the frontmatter lines a strict YAML reader refuses although a lenient
// one, like Quire's own, reads them. Harnesses that parse YAML strictly skip
// such a skill without a word, so the user has to be told.
class StrictYamlCheck final
{
public:
    enum class Kind {
        ColonInValue, // "description: Use when: ..." is read as a second mapping
        ReservedStart, // a plain value may not begin with @, ` or %
    };

    struct Trouble
    {
        Kind kind = Kind::ColonInValue;
        QString key; // the key whose value is at fault
        QString value; // its text on the line at fault, comment removed
        QChar character; // for ReservedStart, the character at the start

        bool operator==(const Trouble &) const = default;
    };

    // The first trouble in the frontmatter block of text (LF line ends);
    // nothing when the block is absent or clean.
    static std::optional<Trouble> firstTrouble(QStringView text);

    // The value written so a strict reader takes it as one string.
    static QString doubleQuoted(const QString &value);
};
