#include "sidebardelegate.h"

#include "cardstyle.h"
#include "focusring.h"
#include "sidebarmodel.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int rowHeight = 28;
constexpr int headerHeight = 30;
constexpr int margin = 8;
constexpr int iconEdge = 16;
constexpr int gap = 6;

QColor faded(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

} // namespace

QFont SidebarDelegate::headerFont(const QFont &base)
{
    QFont font = base;
    font.setBold(true);
    font.setCapitalization(QFont::SmallCaps);
    font.setPointSizeF(base.pointSizeF() * 0.85);
    return font;
}

QFont SidebarDelegate::badgeFont(const QFont &base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.85);
    font.setWeight(QFont::Medium);
    return font;
}

QSize SidebarDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto kind = index.data(SidebarModel::KindRole).value<SidebarModel::RowKind>();
    const int text = option.fontMetrics.height();
    if (kind == SidebarModel::RowKind::Header)
        return { 0, std::max(headerHeight, text + 14) };
    return { 0, std::max(rowHeight, text + 8) };
}

void SidebarDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const auto kind = index.data(SidebarModel::KindRole).value<SidebarModel::RowKind>();
    const QRect area = opt.rect.adjusted(margin, 0, -margin, 0);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    if (kind == SidebarModel::RowKind::Header) {
        // Headers sit low in their row, close to the rows they title.
        painter->setFont(headerFont(opt.font));
        painter->setPen(CardStyle::readable(
            faded(opt.palette.color(QPalette::Active, QPalette::WindowText), 0.55),
            opt.palette.color(QPalette::Window), CardStyle::textContrast));
        const QRect text = area.adjusted(0, 0, 0, -4);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignBottom,
            QFontMetrics(painter->font()).elidedText(opt.text, Qt::ElideRight, text.width()));
        painter->restore();
        return;
    }

    // Background, selection and hover as the platform draws them.
    opt.text.clear();
    opt.icon = QIcon();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    FocusRing::paint(painter, opt);

    const bool selected = opt.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group
        = opt.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    QColor textColor
        = opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    if (kind == SidebarModel::RowKind::NewCollection && !selected)
        textColor = CardStyle::readable(
            faded(textColor, 0.6), opt.palette.color(QPalette::Window), CardStyle::textContrast);

    int left = area.left();
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull()) {
        const QRect iconRect(left, area.center().y() - iconEdge / 2 + 1, iconEdge, iconEdge);
        if (kind == SidebarModel::RowKind::NewCollection)
            painter->setOpacity(0.6);
        icon.paint(painter, iconRect, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);
        painter->setOpacity(1.0);
        left += iconEdge + gap;
    }

    int right = area.right();
    const QVariant badge = index.data(SidebarModel::BadgeRole);
    if (badge.isValid()) {
        const QFont font = badgeFont(opt.font);
        const QFontMetrics metrics(font);
        // A number, or a mark that the number is still being worked out.
        const QString number = badge.typeId() == QMetaType::QString
            ? badge.toString()
            : QString::number(badge.toInt());
        const int height = metrics.height() + 2;
        const int width = std::max(height, metrics.horizontalAdvance(number) + 12);
        const QRectF pill(right - width + 1, area.center().y() - height / 2.0 + 1, width, height);
        QPainterPath path;
        path.addRoundedRect(pill, height / 2.0, height / 2.0);
        painter->fillPath(path, faded(textColor, selected ? 0.25 : 0.12));
        painter->setFont(font);
        painter->setPen(textColor);
        painter->drawText(pill, Qt::AlignCenter, number);
        right -= width + gap;
    }

    painter->setFont(opt.font);
    painter->setPen(textColor);
    const QRect titleRect(left, area.top(), std::max(0, right - left + 1), area.height());
    painter->drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
        opt.fontMetrics.elidedText(
            index.data(Qt::DisplayRole).toString(), Qt::ElideRight, titleRect.width()));
    painter->restore();
}
