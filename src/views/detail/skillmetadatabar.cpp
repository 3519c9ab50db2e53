#include "skillmetadatabar.h"

#include "cardstyle.h"
#include "collectionpicker.h"
#include "elidedlabel.h"
#include "metadatatexts.h"
#include "skill.h"
#include "symbolicons.h"
#include "toolicon.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

QWidget *verticalDivider(QWidget *parent)
{
    auto *line = new QWidget(parent);
    line->setFixedSize(1, 16);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, CardStyle::withAlpha(palette.color(QPalette::Text), 0.2));
    line->setPalette(palette);
    return line;
}

QLabel *captionLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFont(CardStyle::font(11));
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setTextFormat(Qt::PlainText);
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
    layout->addWidget(m_toolIcons);
    layout->addWidget(verticalDivider(this));
    m_path->setFont(CardStyle::font(11));
    m_path->setElideMode(Qt::ElideMiddle);
    m_path->setTextColor(CardStyle::secondaryText());
    layout->addWidget(m_path, 1);
    layout->addWidget(verticalDivider(this));
    layout->addWidget(m_size);
    layout->addWidget(verticalDivider(this));
    m_collections->setIcon(SymbolIcons::icon(u"tray.fill"_s, CardStyle::secondaryText()));
    m_collections->setIconSize(QSize(13, 13));
    m_collections->setAutoRaise(true);
    m_collections->setToolTip(u"Collections"_s);
    m_collections->setAccessibleName(u"Collections"_s);
    connect(m_collections, &QToolButton::clicked, this, &SkillMetadataBar::toggleCollectionPicker);
    layout->addWidget(m_collections);
    layout->addStretch();
    layout->addWidget(m_age);
    setSkill(skill);
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
