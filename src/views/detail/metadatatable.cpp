#include "metadatatable.h"

#include "cardstyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal cornerRadius = 8;
constexpr int keyWidth = 120;

} // namespace

MetadataTable::MetadataTable(
    const QStringList &keys, const QMap<QString, QString> &values, QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const QColor text = palette().color(QPalette::Text);
    for (qsizetype index = 0; index < keys.size(); ++index) {
        auto *row = new QWidget(this);
        row->setAutoFillBackground(isShaded(index));
        if (isShaded(index)) {
            QPalette shaded = row->palette();
            shaded.setColor(QPalette::Window, CardStyle::withAlpha(text, 0.02));
            row->setPalette(shaded);
        }
        auto *rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(12, 8, 12, 8);
        auto *key = new QLabel(keys.at(index), row);
        key->setTextFormat(Qt::PlainText);
        key->setFont(CardStyle::monoFont(12, QFont::Medium));
        key->setFixedWidth(keyWidth);
        QPalette keyPalette = key->palette();
        keyPalette.setColor(QPalette::WindowText, CardStyle::accentText(palette()));
        key->setPalette(keyPalette);
        auto *value = new QLabel(values.value(keys.at(index)), row);
        value->setTextFormat(Qt::PlainText);
        value->setFont(CardStyle::monoFont(12));
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        rowLayout->addWidget(key, 0, Qt::AlignTop);
        rowLayout->addWidget(value, 1);
        layout->addWidget(row);
        m_rows.append(row);
    }
}

void MetadataTable::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor text = palette().color(QPalette::Text);
    QPainterPath panel;
    panel.addRoundedRect(
        QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), cornerRadius, cornerRadius);
    painter.fillPath(panel, CardStyle::withAlpha(text, 0.04));
    painter.setPen(QPen(CardStyle::withAlpha(text, 0.12), 0.5));
    painter.drawPath(panel);
}
