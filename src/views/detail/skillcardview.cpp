#include "skillcardview.h"

#include "artifactbadge.h"
#include "artifactcache.h"
#include "capsulebadge.h"
#include "cardstyle.h"
#include "elidedlabel.h"
#include "flowlayout.h"
#include "loadedbypanel.h"
#include "metadatatable.h"
#include "metadatatexts.h"
#include "skill.h"
#include "skillcardmodel.h"
#include "skillhealthpanel.h"
#include "symbolicons.h"
#include "toolicon.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int pagePadding = 24;

QLabel *symbolLabel(const QString &symbol, const QColor &color, int edge, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setPixmap(SymbolIcons::icon(symbol, color).pixmap(edge, edge));
    label->setFixedSize(edge, edge);
    return label;
}

QLabel *textLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

// The heading every section shares: a symbol and a title in the lime accent,
// deepened where the palette is too light for it.
QWidget *sectionTitle(const QString &text, const QString &symbol, QWidget *parent)
{
    const QColor color = CardStyle::accentHeading(parent->palette());
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(symbolLabel(symbol, color, 12, row));
    layout->addWidget(textLabel(text, CardStyle::font(13, QFont::DemiBold), color, row));
    layout->addStretch();
    return row;
}

QWidget *divider(QWidget *parent)
{
    auto *holder = new QWidget(parent);
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(pagePadding, 0, pagePadding, 0);
    auto *line = new QFrame(holder);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, CardStyle::divider(palette));
    line->setPalette(palette);
    layout->addWidget(line);
    return holder;
}

QWidget *infoItem(const QString &symbol, const QString &text, const QColor &color, QWidget *parent)
{
    auto *item = new QWidget(parent);
    auto *layout = new QHBoxLayout(item);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(symbolLabel(symbol, color, 10, item));
    layout->addWidget(textLabel(text, CardStyle::font(11), color, item));
    return item;
}

// A section with its padding and the divider under it.
QWidget *section(QWidget *parent, int spacing, QVBoxLayout **body)
{
    auto *outer = new QWidget(parent);
    auto *outerLayout = new QVBoxLayout(outer);
    outerLayout->setContentsMargins(0, 0, 0, 0);
    outerLayout->setSpacing(0);
    auto *inner = new QWidget(outer);
    *body = new QVBoxLayout(inner);
    (*body)->setContentsMargins(pagePadding, pagePadding, pagePadding, pagePadding);
    (*body)->setSpacing(spacing);
    outerLayout->addWidget(inner);
    outerLayout->addWidget(divider(outer));
    return outer;
}

} // namespace

SkillCardView::SkillCardView(Skill *skill, AppState *state, QWidget *parent)
    : QScrollArea(parent),
      m_state(state),
      m_page(new QWidget(this)),
      m_layout(new QVBoxLayout(m_page))
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);

    // Fixed slots in page order; a rebuild replaces what one slot holds.
    const auto slot = [this] {
        auto *holder = new QWidget(m_page);
        auto *layout = new QVBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        m_layout->addWidget(holder);
        return layout;
    };
    m_headerSlot = slot();
    m_layout->addWidget(divider(m_page));
    m_extra = slot();
    m_metadataSlot = slot();
    m_resourcesSlot = slot();

    auto *content = new QWidget(m_page);
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(pagePadding, pagePadding, pagePadding, pagePadding);
    contentLayout->setSpacing(12);
    auto *titleRow = new QHBoxLayout;
    m_contentTitle = new QHBoxLayout;
    m_contentTitle->setContentsMargins(0, 0, 0, 0);
    titleRow->addLayout(m_contentTitle);
    titleRow->addStretch();
    auto *edit = new QPushButton(u"Edit"_s, content);
    edit->setFlat(true);
    edit->setFont(CardStyle::font(11, QFont::Medium));
    edit->setCursor(Qt::PointingHandCursor);
    edit->setToolTip(u"Edit the skill's file"_s);
    connect(edit, &QPushButton::clicked, this, &SkillCardView::editRequested);
    m_edit = edit;
    titleRow->addWidget(edit);
    contentLayout->addLayout(titleRow);
    m_preview = textLabel({}, CardStyle::monoFont(13), QColor(), content);
    m_preview->setWordWrap(true);
    m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    contentLayout->addWidget(m_preview);

    m_layout->addWidget(content);
    m_layout->addStretch();
    setWidget(m_page);
    restyle();
    setSkill(skill);
}

void SkillCardView::restyle()
{
    // The parts made once; the rebuilt ones take the palette when they are made.
    while (QLayoutItem *item = m_contentTitle->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    QWidget *content = m_edit->parentWidget();
    m_contentTitle->addWidget(sectionTitle(u"Content"_s, u"doc.text.fill"_s, content));
    const QColor accent = CardStyle::accentText(palette());
    auto *edit = static_cast<QPushButton *>(m_edit);
    edit->setIcon(SymbolIcons::icon(u"pencil"_s, accent));
    QPalette editPalette = edit->palette();
    editPalette.setColor(QPalette::ButtonText, accent);
    edit->setPalette(editPalette);
    QPalette previewPalette = m_preview->palette();
    previewPalette.setColor(QPalette::WindowText, CardStyle::secondaryText(palette()));
    m_preview->setPalette(previewPalette);
}

void SkillCardView::changeEvent(QEvent *event)
{
    QScrollArea::changeEvent(event);
    // Appearance switched while the card is shown: every colour is derived
    // again, once the children below have their new palette too.
    if (event->type() == QEvent::PaletteChange && m_contentTitle
        && !std::exchange(m_restyleQueued, true)) {
        QTimer::singleShot(0, this, [this] {
            m_restyleQueued = false;
            restyle();
            m_artifacts.clear();
            refresh();
        });
    }
}

void SkillCardView::setSkill(Skill *skill)
{
    if (m_skill == skill)
        return;
    if (m_skill)
        disconnect(m_skill, nullptr, this, nullptr);
    m_skill = skill;
    if (m_skill) {
        // A save or a rescan changes several fields at once: one rebuild for all.
        for (auto signal :
            { &Skill::nameChanged, &Skill::skillDescriptionChanged, &Skill::contentChanged,
                &Skill::frontmatterDataChanged, &Skill::toolSourcesRawChanged,
                &Skill::isGlobalChanged, &Skill::fileSizeChanged, &Skill::fileModifiedDateChanged,
                &Skill::filePathChanged, &Skill::installedPathsDataChanged })
            connect(m_skill, signal, this, &SkillCardView::scheduleRefresh);
    }
    if (m_healthPanel)
        m_healthPanel->setSkill(skill);
    if (m_loadedByPanel)
        m_loadedByPanel->setSkill(skill);
    refresh();
    verticalScrollBar()->setValue(0);
}

void SkillCardView::scheduleRefresh()
{
    if (std::exchange(m_refreshQueued, true))
        return;
    QTimer::singleShot(0, this, [this] {
        m_refreshQueued = false;
        refresh();
    });
}

void SkillCardView::refresh()
{
    if (!m_skill)
        return;
    // An edit of the record rarely touches the supporting files, and a
    // folder may hold thousands of them.
    updateResources();
    rebuildHeader();
    rebuildMetadata();
    m_preview->setText(SkillCardModel::contentPreview(m_skill->content()));
}

void SkillCardView::refreshArtifacts()
{
    if (m_skill && updateResources())
        rebuildHeader(); // the resource count
}

bool SkillCardView::updateResources()
{
    const QList<SkillArtifact> artifacts
        = ArtifactCache::shared().artifactsForPath(m_skill->filePath());
    const bool samePlaces = std::equal(artifacts.cbegin(), artifacts.cend(), m_artifacts.cbegin(),
        m_artifacts.cend(),
        [](const auto &x, const auto &y) { return x.path == y.path && x.category == y.category; });
    if (samePlaces)
        return false;
    rebuildResources(artifacts);
    return true;
}

void SkillCardView::setHealth(SkillHealth *health)
{
    if (m_healthPanel || !health)
        return;
    QVBoxLayout *loadsBody = nullptr;
    QWidget *loadsHolder = section(m_page, 12, &loadsBody);
    loadsBody->setSpacing(12);
    loadsBody->addWidget(sectionTitle(u"Loaded by"_s, u"checklist"_s, loadsHolder));
    m_loadedByPanel = new LoadedByPanel(health, loadsHolder);
    m_loadedByPanel->setSkill(m_skill);
    loadsBody->addWidget(m_loadedByPanel);
    m_extra->addWidget(loadsHolder);

    QVBoxLayout *body = nullptr;
    QWidget *holder = section(m_page, 12, &body);
    body->setSpacing(12);
    body->addWidget(sectionTitle(u"Health"_s, u"exclamationmark.triangle.fill"_s, holder));
    m_healthPanel = new SkillHealthPanel(health, holder);
    // The card's own section title names the group.
    m_healthPanel->setTitle({});
    m_healthPanel->setFlat(true);
    m_healthPanel->setSkill(m_skill);
    body->addWidget(m_healthPanel);
    m_extra->addWidget(holder);
}

QString SkillCardView::previewText() const
{
    return m_preview->text();
}

QString SkillCardView::resourceCountText() const
{
    return m_resourceCount ? m_resourceCount->text() : QString();
}

void SkillCardView::rebuildHeader()
{
    delete m_header;
    m_resourceCount = nullptr;
    m_header = new QWidget(m_page);
    auto *layout = new QVBoxLayout(m_header);
    layout->setContentsMargins(pagePadding, pagePadding, pagePadding, pagePadding);
    layout->setSpacing(10);

    auto *badges = new QHBoxLayout;
    badges->setSpacing(6);
    for (const ToolSource tool : m_skill->toolSources()) {
        const QColor color = CardStyle::toolColor(tool);
        auto *badge = new CapsuleBadge(ToolSources::displayName(tool),
            CardStyle::badgeText(color, 0.12, palette()), CardStyle::withAlpha(color, 0.12),
            m_header);
        badge->setFont(CardStyle::font(11, QFont::Medium));
        badge->setIcon(ToolIcon::icon(tool), 12);
        badge->setPadding(8, 4);
        badges->addWidget(badge);
    }
    const std::optional<QString> project = m_skill->projectName();
    if (m_skill->isGlobal()) {
        auto *global = new CapsuleBadge(u"Global"_s,
            CardStyle::readable(CardStyle::secondaryText(palette()),
                CardStyle::tinted(palette(), 0.08), CardStyle::textContrast),
            CardStyle::withAlpha(palette().color(QPalette::Text), 0.08), m_header);
        global->setFont(CardStyle::font(10, QFont::Medium));
        badges->addWidget(global);
    } else if (project) {
        auto *badge = new CapsuleBadge(*project,
            CardStyle::badgeText(CardStyle::violetAccent(), 0.1, palette()),
            CardStyle::withAlpha(CardStyle::violetAccent(), 0.1), m_header);
        badge->setFont(CardStyle::font(10, QFont::Medium));
        badges->addWidget(badge);
    }
    badges->addStretch();
    layout->addLayout(badges);

    auto *name = textLabel(m_skill->name(), CardStyle::font(24, QFont::Bold),
        palette().color(QPalette::Text), m_header);
    name->setWordWrap(true);
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(name);

    if (!m_skill->skillDescription().isEmpty()) {
        auto *description = new ElidedLabel(m_header);
        description->setObjectName(u"description"_s);
        description->setMaxLines(3);
        description->setText(MetadataTexts::displayedDescription(m_skill->skillDescription()));
        description->setTextColor(CardStyle::secondaryText(palette()));
        description->setToolTipWhenCut(true);
        layout->addWidget(description);
    }

    auto *info = new QHBoxLayout;
    info->setSpacing(16);
    const QColor tertiary = CardStyle::tertiaryText(palette());
    info->addWidget(
        infoItem(u"doc.fill"_s, MetadataTexts::sizeText(m_skill->fileSize()), tertiary, m_header));
    info->addWidget(infoItem(u"clock.fill"_s,
        MetadataTexts::ageText(m_skill->fileModifiedDate(), QDateTime::currentDateTime()), tertiary,
        m_header));
    if (!m_artifacts.isEmpty()) {
        QWidget *count
            = infoItem(u"paperclip"_s, SkillCardModel::resourceCountText(m_artifacts.size()),
                CardStyle::accentText(palette()), m_header);
        m_resourceCount = count->findChildren<QLabel *>().constLast();
        info->addWidget(count);
    }
    info->addStretch();
    layout->addLayout(info);
    m_headerSlot->addWidget(m_header);
}

void SkillCardView::rebuildMetadata()
{
    delete m_metadata;
    m_metadata = nullptr;
    const QMap<QString, QString> frontmatter = m_skill->frontmatter();
    const QStringList keys = SkillCardModel::metadataKeys(frontmatter);
    if (keys.isEmpty())
        return;
    QVBoxLayout *body = nullptr;
    m_metadata = section(m_page, 12, &body);
    m_metadata->setObjectName(u"metadataSection"_s);
    body->addWidget(sectionTitle(u"Metadata"_s, u"tag.fill"_s, m_metadata));
    body->addWidget(new MetadataTable(keys, frontmatter, m_metadata));
    m_metadataSlot->addWidget(m_metadata);
}

void SkillCardView::rebuildResources(const QList<SkillArtifact> &artifacts)
{
    m_artifacts = artifacts;
    delete m_resources;
    m_resources = nullptr;
    if (artifacts.isEmpty())
        return;
    QVBoxLayout *body = nullptr;
    m_resources = section(m_page, 16, &body);
    m_resources->setObjectName(u"resourcesSection"_s);
    body->addWidget(sectionTitle(u"Resources"_s, u"paperclip"_s, m_resources));
    for (const SkillCardModel::ArtifactGroup &group : SkillCardModel::groupedArtifacts(artifacts)) {
        auto *groupLayout = new QVBoxLayout;
        groupLayout->setSpacing(8);
        const CardStyle::Look look = CardStyle::categoryLook(group.category);
        auto *heading = new QHBoxLayout;
        heading->setSpacing(5);
        heading->addWidget(symbolLabel(look.symbol, look.color, 11, m_resources));
        heading->addWidget(
            textLabel(look.heading, CardStyle::font(11, QFont::DemiBold), look.color, m_resources));
        heading->addStretch();
        groupLayout->addLayout(heading);
        auto *chips = new QWidget(m_resources);
        auto *flow = new FlowLayout(6, chips);
        for (const SkillArtifact &artifact : group.artifacts)
            flow->addWidget(new ArtifactBadge(artifact, chips));
        groupLayout->addWidget(chips);
        body->addLayout(groupLayout);
    }
    m_resourcesSlot->addWidget(m_resources);
}
