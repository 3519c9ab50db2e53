#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <algorithm>
#include <vector>

class ModelContext;
class Skill;
class SkillSlices;

// Answers SkillQuery's search rule without a pass over every body, with the
// very same answers. Each skill keeps its folded text, and lists map to the
// skills holding them: every folded code point and pair, and every word (a
// run of letters, digits, '_' and non-ASCII). A query of one or two code
// points is read off the first lists. A query that is all word characters can
// only occur inside a word, so the words containing it (found in the
// vocabulary, a few MB) name exactly the skills that hold it. Any other query
// is narrowed by its pairs and words and then confirmed on the folded text.
class SkillSearchIndex final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkillSearchIndex)

public:
    explicit SkillSearchIndex(QObject *parent = nullptr);
    ~SkillSearchIndex() override;

    // Indexes every skill of the context, then follows its saved batches.
    void attach(ModelContext *context);
    // The same without the pause: follows the context at once and indexes
    // its skills a slice per event-loop turn. Meanwhile search() stays right,
    // testing the skills not indexed yet the plain way.
    void attachInSlices(ModelContext *context);
    bool isIndexing() const;
    // Indexes what is left at once.
    void finishIndexing();

    void rebuild(const QList<Skill *> &skills);
    // Indexes new skills, and re-indexes known ones whose texts changed.
    void update(Skill *skill);
    void update(const QList<Skill *> &skills);
    void remove(Skill *skill);
    void clear();

    qsizetype size() const { return m_slotOf.size(); }
    bool contains(const Skill *skill) const { return m_slotOf.contains(skill); }

    // The skills of inOrder that SkillQuery::matchesSearch keeps for text, in
    // the order given. A skill the index has not seen (not saved yet) is
    // tested the plain way.
    QList<Skill *> search(const QString &text, const QList<Skill *> &inOrder) const;

    // Bytes held by the folded texts, the vocabulary and the lists.
    qsizetype memoryUsage() const;

Q_SIGNALS:
    // After a batch from the attached context is applied: a list that
    // listens to the same context asks again from here.
    void updated();

private:
    using Slot = quint32;
    using Bits = std::vector<quint32>;
    struct Posting;
    enum class Place { Anywhere, AtStart, AtEnd };

    void follow(ModelContext *context);
    void finishBuild();
    size_t bitsetSize() const { return std::max((m_skills.size() + 31) / 32, m_bitsetSizeHint); }
    Slot place(Skill *skill, QByteArray text);
    void index(const std::vector<Slot> &batch);
    void unindex(Slot slot);
    quint32 gramCell(const char32_t *gram, int length) const;
    quint32 obtainGram(const char32_t *gram, int length);
    qsizetype tokenEnd(quint32 token) const;
    QByteArrayView tokenText(quint32 token) const;
    size_t tokenCell(QByteArrayView token) const;
    quint32 findToken(QByteArrayView token) const;
    quint32 obtainToken(QByteArrayView token);
    void rehashTokens(size_t cells);
    void compactTokens();
    void uniteTokens(QByteArrayView run, Place place, Bits &bits) const;
    Bits matchingSlots(const QByteArray &needle) const;
    Bits matchingMixed(const QByteArray &needle, const std::vector<char32_t> &points) const;

    // Per slot: name, 0xFF, description, 0xFF, content. 0xFF never occurs in
    // UTF-8, so neither a match nor a word runs from one field into the next.
    std::vector<QByteArray> m_texts;
    std::vector<Skill *> m_skills; // null for a free slot
    std::vector<Slot> m_freeSlots;
    size_t m_bitsetSizeHint = 0;
    QHash<const Skill *, Slot> m_slotOf;

    // Code points and pairs; ASCII ones, the bulk, by direct address. A cell
    // holds a position in m_grams plus one, 0 for none.
    std::vector<Posting> m_grams;
    std::vector<quint32> m_asciiGrams;
    QHash<quint64, quint32> m_otherGrams;

    // Every word once, each preceded by 0xFF, so a scan for a needle can
    // never match across two words. A word's number is its position in
    // m_tokenStarts and m_tokenPostings; m_tokenTable hashes words to
    // numbers plus one, looking the text up in m_vocabulary, so no word is
    // stored twice.
    QByteArray m_vocabulary;
    std::vector<quint32> m_tokenStarts;
    std::vector<Posting> m_tokenPostings;
    std::vector<quint32> m_tokenTable;
    // Per gram and word list, the last round of index() that added to it.
    std::vector<quint32> m_gramRounds;
    std::vector<quint32> m_tokenRounds;
    quint32 m_indexRound = 0;
    size_t m_tokensAfterCompaction = 0;

    QList<QMetaObject::Connection> m_connections;
    SkillSlices *m_slices;
};
