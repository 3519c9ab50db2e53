#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

struct sqlite3;

// The tokenizer of the store's search index. A text is folded as the list's
// search folds it, and each distinct run of one, two and three code points
// within it becomes one token: a query of up to three code points is one
// token whose rows are the answer, and a longer one is narrowed to the rows
// holding every three-code-point run of it. Only distinct runs are kept, and
// no positions, which costs a fifth of what a token per character would.
namespace SearchTokenizer {

inline constexpr const char *name = "quire_grams";

// Every connection that reads or writes the index needs it.
bool registerWith(sqlite3 *db);

// The tokens of one stored text, in the order given to the index.
QList<QByteArray> documentTokens(QByteArrayView utf8);

} // namespace SearchTokenizer
