#include "skillmetadatabar.h"

#include "cardstyle.h"
#include "collectionpicker.h"
#include "elidedlabel.h"
#include "metadatatexts.h"
#include "skill.h"
#include "symbolicons.h"
#include "toolicon.h"

#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// Opaque, in the divider colour of the palette; coloured by restyle().
QWidget *verticalDivider(QWidget *parent)
{
    auto *line = new QWidget(parent);
    line->setObjectName(u"barDivider"_s);
    line->setFixedSize(1, 16);
    line->setAutoFillBackground(true);
    line->setBackgroundRole(QPalette::Window); // not the bar's Button, which it would inherit
    return line;
}

// Every text of the bar is one of these: one font, centred on the row, so all
// of them share a baseline.
QLabel *captionLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFont(CardStyle::font(11));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // On the bar's button-coloured ground a label would take ButtonText.
    label->setForegroundRole(QPalette::WindowText);
    return label;
}

} // namespace

SkillMetadataBar::SkillMetadataBar(Skill *skill, ModelContext *context, QWidget *parent)
    : QFrame(parent),
      m_context(context),
      m_toolIcons(new QWidget(this)),
      m_toolLayout(new QHBoxLayout(m_toolIcons)),
      m_path(new ElidedLabel(this)),
      m_size(captionLabel(this)),
      m_age(captionLabel(this)),
      m_collections(new QToolButton(this))
{
    // The tool bar's own background, so the bar reads as part of the window's chrome.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 10, 16, 10);
    layout->setSpacing(16);

    m_toolLayout->setContentsMargins(0, 0, 0, 0);
    m_toolLayout->setSpacing(8);
    layout->addWidget(m_toolIcons, 0, Qt::AlignVCenter);
    layout->addWidget(verticalDivider(this), 0, Qt::AlignVCenter);
    m_path->setFont(CardStyle::font(11));
    m_path->setElideMode(Qt::ElideMiddle);
    layout->addWidget(m_path, 1);
    layout->addWidget(verticalDivider(this), 0, Qt::AlignVCenter);
    layout->addWidget(m_size);
    layout->addWidget(verticalDivider(this), 0, Qt::AlignVCenter);
    m_collections->setIconSize(QSize(13, 13));
    m_collections->setAutoRaise(true);
    m_collections->setToolTip(u"Collections"_s);
    m_collections->setAccessibleName(u"Collections"_s);
    connect(m_collections, &QToolButton::clicked, this, &SkillMetadataBar::toggleCollectionPicker);
    layout->addWidget(m_collections);
    layout->addStretch();
    layout->addWidget(m_age);
    restyle();
    setSkill(skill);
}

void SkillMetadataBar::restyle()
{
    const QColor secondary = CardStyle::readable(CardStyle::secondaryText(palette()),
        palette().color(QPalette::Button), CardStyle::textContrast);
    m_path->setTextColor(secondary);
    for (QLabel *label : { m_size, m_age }) {
        QPalette text = label->palette();
        text.setColor(QPalette::WindowText, secondary);
        label->setPalette(text);
    }
    const QColor line = CardStyle::readable(
        CardStyle::divider(palette()), palette().color(QPalette::Button), 1.3);
    for (QWidget *divider : findChildren<QWidget *>(u"barDivider"_s)) {
        QPalette fill = divider->palette();
        fill.setColor(QPalette::Window, line);
        divider->setPalette(fill);
    }
    m_collections->setIcon(SymbolIcons::icon(u"tray.fill"_s, secondary));
}

void SkillMetadataBar::changeEvent(QEvent *event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        restyle();
}

void SkillMetadataBar::setSkill(Skill *skill)
{
    if (m_skill == skill)
        return;
    if (m_skill)
        disconnect(m_skill, nullptr, this, nullptr);
    m_skill = skill;
    if (m_picker)
        m_picker->close();
    if (m_skill) {
        for (auto signal :
            { &Skill::toolSourcesRawChanged, &Skill::filePathChanged, &Skill::fileSizeChanged,
                &Skill::fileModifiedDateChanged, &Skill::installedPathsDataChanged })
            connect(m_skill, signal, this, &SkillMetadataBar::refresh);
    }
    refresh();
}

void SkillMetadataBar::refresh()
{
    while (QLayoutItem *item = m_toolLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (!m_skill)
        return;
    const QString home = QDir::homePath();
    for (const ToolSource tool : m_skill->toolSources())
        m_toolLayout->addWidget(new ToolIcon(tool, 14, m_toolIcons));
    const QString installed = MetadataTexts::installedPathsText(m_skill->installedPaths(), home);
    m_toolIcons->setToolTip(installed);
    m_path->setText(MetadataTexts::homeShortened(m_skill->filePath(), home));
    m_path->setToolTip(installed);
    m_size->setText(MetadataTexts::sizeText(m_skill->fileSize()));
    m_age->setText(
        MetadataTexts::ageText(m_skill->fileModifiedDate(), QDateTime::currentDateTime()));
}

QString SkillMetadataBar::pathText() const
{
    return m_path->text();
}

QString SkillMetadataBar::sizeText() const
{
    return m_size->text();
}

QString SkillMetadataBar::ageText() const
{
    return m_age->text();
}

QString SkillMetadataBar::installedPathsText() const
{
    return m_path->toolTip();
}

int SkillMetadataBar::toolIconCount() const
{
    return m_toolLayout->count();
}

void SkillMetadataBar::toggleCollectionPicker()
{
    if (m_picker) {
        m_picker->close();
        return;
    }
    if (!m_skill)
        return;
    m_picker = new CollectionPicker(m_context, m_skill, this);
    const QRect anchor(m_collections->mapToGlobal(QPoint(0, 0)), m_collections->size());
    m_picker->openAt(anchor);
}
