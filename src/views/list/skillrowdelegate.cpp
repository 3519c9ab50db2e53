#include "skillrowdelegate.h"

#include "focusring.h"
#include "skill.h"
#include "skillhealth.h"
#include "skilllistmodel.h"
#include "symbolicons.h"
#include "toolicon.h"

#include <QApplication>
#include <QFileInfo>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

constexpr int verticalPadding = 4;

QStyle *styleOf(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

int horizontalSpacing(const QStyleOptionViewItem &option)
{
    const int spacing
        = styleOf(option)->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, option.widget);
    return spacing >= 0 ? spacing : 6; // styles that space per control pair answer -1
}

int horizontalMargin(const QStyleOptionViewItem &option)
{
    return styleOf(option)->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 4;
}

QColor blended(const QColor &over, const QColor &under, float share)
{
    return QColor::fromRgbF(over.redF() * share + under.redF() * (1 - share),
        over.greenF() * share + under.greenF() * (1 - share),
        over.blueF() * share + under.blueF() * (1 - share));
}

} // namespace

QFont SkillRowDelegate::captionFont(const QFont &base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.85);
    return font;
}

QFont SkillRowDelegate::secondCaptionFont(const QFont &base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.8);
    return font;
}

QSize SkillRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int text
        = std::max(option.fontMetrics.height(), QFontMetrics(captionFont(option.font)).height());
    return { 0, text + 2 * verticalPadding };
}

void SkillRowDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString name = opt.text;
    opt.text.clear();
    opt.icon = QIcon();
    // Background, selection and hover as the platform draws them.
    styleOf(opt)->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, opt.widget);
    FocusRing::paint(painter, opt);

    const bool selected = opt.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group = !opt.state.testFlag(QStyle::State_Enabled)
        ? QPalette::Disabled
        : opt.state.testFlag(QStyle::State_Active) ? QPalette::Active
                                                   : QPalette::Inactive;
    const QColor textColor
        = opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    // Placeholder grey is unreadable on a selection; fade the selected text instead.
    const QColor faintColor = selected
        ? blended(textColor, opt.palette.color(group, QPalette::Highlight), 0.7F)
        : opt.palette.color(group, QPalette::PlaceholderText);

    const int margin = horizontalMargin(opt);
    const int spacing = horizontalSpacing(opt);
    const QRect area = opt.rect.adjusted(margin, verticalPadding, -margin, -verticalPadding);
    int right = area.right() + 1;

    painter->save();
    if (index.data(SkillListModel::IsFavoriteRole).toBool()) {
        const int edge = QFontMetrics(secondCaptionFont(opt.font)).height();
        const QPixmap pixmap = star(edge, painter->device()->devicePixelRatioF());
        right -= edge;
        painter->drawPixmap(QRect(right, area.center().y() - edge / 2, edge, edge), pixmap);
        right -= spacing;
    }

    const auto *skill = index.data(SkillListModel::SkillRole).value<Skill *>();
    const auto worst = m_health && skill ? m_health->worstSeverity(skill) : std::nullopt;
    if (worst && *worst != HealthFinding::Severity::Note) {
        const int edge = QFontMetrics(secondCaptionFont(opt.font)).height();
        const QPixmap pixmap = mark(
            *worst == HealthFinding::Severity::Error, edge, painter->device()->devicePixelRatioF());
        right -= edge;
        painter->drawPixmap(QRect(right, area.center().y() - edge / 2, edge, edge), pixmap);
        right -= spacing;
    }

    const bool namesake = skill && sharesName(index);
    const QString project
        = namesake ? placeOf(*skill) : index.data(SkillListModel::ProjectNameRole).toString();
    if (!project.isEmpty()) {
        // The name comes first: the project gets at most half of what is left.
        const QFont font = captionFont(opt.font);
        const QFontMetrics metrics(font);
        const int room = (right - area.left()) / 2;
        const QString text = metrics.elidedText(project, Qt::ElideRight, room);
        const int width = metrics.horizontalAdvance(text);
        painter->setFont(font);
        painter->setPen(faintColor);
        painter->drawText(QRect(right - width, area.top(), width, area.height()),
            Qt::AlignRight | Qt::AlignVCenter, text);
        right -= width + spacing;
    }

    int left = area.left();
    if (namesake && !skill->toolSources().isEmpty()) {
        const int edge = QFontMetrics(captionFont(opt.font)).height();
        ToolIcon::icon(skill->toolSources().constFirst())
            .paint(painter, QRect(left, area.center().y() - edge / 2, edge, edge));
        left += edge + spacing;
    }

    const QRect nameRect(left, area.top(), std::max(0, right - left), area.height());
    painter->setFont(opt.font);
    painter->setPen(textColor);
    painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
        opt.fontMetrics.elidedText(name, Qt::ElideRight, nameRect.width()));
    painter->restore();
}

bool SkillRowDelegate::sharesName(const QModelIndex &index)
{
    const QString name = index.data(Qt::DisplayRole).toString();
    for (const int step : { -1, 1 }) {
        const QModelIndex neighbour = index.siblingAtRow(index.row() + step);
        if (neighbour.isValid()
            && neighbour.data(Qt::DisplayRole).toString().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString SkillRowDelegate::placeOf(const Skill &skill)
{
    if (const std::optional<QString> project = skill.projectName())
        return *project;
    // By the path's text: the file may be gone by the time the row is drawn.
    QString folder = QFileInfo(skill.filePath()).path();
    if (skill.isDirectory())
        folder = QFileInfo(folder).path();
    return QFileInfo(folder).fileName();
}

void SkillRowDelegate::setHealth(const SkillHealth *health)
{
    m_health = health;
}

QPixmap SkillRowDelegate::mark(bool error, int edge, qreal devicePixelRatio) const
{
    QPixmap &cached = m_marks[error ? 1 : 0];
    const int pixels = qRound(edge * devicePixelRatio);
    if (cached.width() != pixels || cached.isNull()) {
        // Fixed colours: the mark must read the same on a selected row.
        cached = error
            ? SymbolIcons::icon(u"xmark.octagon.fill"_s, QColor(0xE0, 0x3E, 0x3E))
                  .pixmap(QSize(edge, edge), devicePixelRatio)
            : SymbolIcons::icon(u"exclamationmark.triangle.fill"_s, QColor(0xF0, 0x8C, 0x00))
                  .pixmap(QSize(edge, edge), devicePixelRatio);
    }
    return cached;
}

QPixmap SkillRowDelegate::star(int edge, qreal devicePixelRatio) const
{
    const int pixels = qRound(edge * devicePixelRatio);
    if (m_star.width() == pixels && !m_star.isNull())
        return m_star;
    QPixmap pixmap = SymbolIcons::icon(u"star.fill"_s).pixmap(QSize(edge, edge), devicePixelRatio);
    if (pixmap.isNull())
        return {};
    // Symbols are drawn in one colour; only their shape is kept.
    QPainter tint(&pixmap);
    tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
    tint.fillRect(pixmap.rect(), QColor(0xF5, 0xC2, 0x11));
    tint.end();
    m_star = pixmap;
    return m_star;
}
