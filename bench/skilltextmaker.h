#pragma once

#include <QByteArray>

class SeededRandom;

// Makes the UTF-8 text of fake skill files: markdown bodies, titles, slugs and
// scripts. Each skill has a topic whose few words only its bodies use, so a
// search word finds some skills rather than every one.
class SkillTextMaker final
{
public:
    explicit SkillTextMaker(SeededRandom &random);

    int pickTopic();
    // Lower-case words joined by hyphens, e.g. "pdf-extract".
    QByteArray slug(int topic);
    QByteArray title(int topic, bool international);
    QByteArray sentence(int topic, bool international, int minWords, int maxWords);
    // At least `bytes` long; opens with a "# " heading when withTitle is set.
    QByteArray markdown(int topic, bool international, qsizetype bytes, bool withTitle);
    QByteArray script(qsizetype bytes);

    // Words that occur in no generated text, for searches that find nothing.
    static QByteArray missingWord();

private:
    QByteArray word(int topic, bool international);
    void appendParagraph(QByteArray &out, int topic, bool international);
    void appendList(QByteArray &out, int topic, bool international, bool numbered);
    void appendCode(QByteArray &out);
    void appendTable(QByteArray &out, int topic);

    SeededRandom &m_random;
};
