#pragma once

#include <QMap>
#include <QStringList>
#include <QWidget>

class QVBoxLayout;

// The card's table of extra frontmatter keys: one row per key, every other
// row shaded, in a softly outlined rounded panel.
class MetadataTable final : public QWidget
{
    Q_OBJECT

public:
    MetadataTable(
        const QStringList &keys, const QMap<QString, QString> &values, QWidget *parent = nullptr);

    qsizetype rowCount() const { return m_rows.size(); }
    QWidget *row(qsizetype index) const { return m_rows.value(index); }
    // Odd rows, counted from 0, are shaded.
    static bool isShaded(qsizetype index) { return index % 2 == 1; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QWidget *> m_rows;
};
