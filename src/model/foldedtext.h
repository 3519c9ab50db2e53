#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The one case-insensitive form of text that every search compares: the
// list's plain pass, the store's search index and its checks of what the
// index proposes.
namespace FoldedText {

// Composed (NFC) so that "cafe" never matches a decomposed "café", then
// simple Unicode case folding per code point, as UTF-8. Lone surrogates
// become U+FFFD, so the result is always valid UTF-8.
QByteArray fold(const QString &text);

// Plain substring search on folded text; an empty needle is found anywhere.
qsizetype indexOf(QByteArrayView foldedText, QByteArrayView foldedNeedle, qsizetype from = 0);
inline bool contains(QByteArrayView foldedText, QByteArrayView foldedNeedle)
{
    return indexOf(foldedText, foldedNeedle) >= 0;
}

// Whether fold(QString::fromUtf8(utf8)) contains foldedNeedle, without
// folding text that is all ASCII, where folding is lowercasing.
bool utf8Contains(QByteArrayView utf8, QByteArrayView foldedNeedle);

} // namespace FoldedText
