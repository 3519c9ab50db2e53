#include "collectionpicker.h"

#include "cardstyle.h"
#include "modelcontext.h"
#include "popupplacement.h"
#include "skill.h"
#include "skillcollection.h"
#include "storesaver.h"
#include "symbolicons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int pickerWidth = 200;

} // namespace

CollectionPicker::CollectionPicker(ModelContext *context, Skill *skill, QWidget *parent)
    : QFrame(parent, Qt::Popup), m_context(context), m_skill(skill), m_layout(new QVBoxLayout(this))
{
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(pickerWidth);
    setAttribute(Qt::WA_DeleteOnClose);
    m_layout->setSpacing(4);
    auto *heading = new QLabel(u"Collections"_s, this);
    QFont headline = heading->font();
    headline.setWeight(QFont::DemiBold);
    heading->setFont(headline);
    m_layout->addWidget(heading);
    m_layout->addSpacing(4);
    rebuild();
}

void CollectionPicker::rebuild()
{
    delete m_body;
    m_rows.clear();
    m_body = new QWidget(this);
    auto *body = new QVBoxLayout(m_body);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(4);
    const QList<SkillCollection *> collections
        = m_context ? m_context->collectionsBySortOrder() : QList<SkillCollection *>();
    if (collections.isEmpty()) {
        auto *none = new QLabel(u"No collections yet"_s, m_body);
        none->setFont(CardStyle::font(11));
        none->setForegroundRole(QPalette::PlaceholderText);
        body->addWidget(none);
    }
    for (SkillCollection *collection : collections) {
        const bool member = m_skill && SkillCollection::isMember(*m_skill, collection->name());
        auto *row = new QPushButton(m_body);
        row->setFlat(true);
        row->setCheckable(true);
        row->setChecked(member);
        row->setAccessibleName(collection->name());
        row->setToolTip(member ? u"Remove from %1"_s.arg(collection->name())
                               : u"Add to %1"_s.arg(collection->name()));
        auto *rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(6, 2, 6, 2);
        auto *icon = new QLabel(row);
        icon->setPixmap(SymbolIcons::icon(collection->icon()).pixmap(14, 14));
        auto *name = new QLabel(collection->name(), row);
        name->setTextFormat(Qt::PlainText);
        rowLayout->addWidget(icon);
        rowLayout->addWidget(name, 1);
        auto *check = new QLabel(row);
        check->setFixedSize(14, 14);
        if (member)
            check->setPixmap(SymbolIcons::icon(u"checkmark"_s).pixmap(14, 14));
        rowLayout->addWidget(check);
        row->setMinimumHeight(rowLayout->sizeHint().height());
        const QPointer<SkillCollection> target(collection);
        connect(row, &QPushButton::clicked, this, [this, target] {
            if (!m_context || !m_skill || !target)
                return;
            // A failed save is not undone: the change stays on the record, the
            // window offers Retry, and the next save writes it.
            StoreSaver::of(m_context)->report(SkillCollection::toggleMembership(*m_context,
                *m_skill, *target, SkillCollection::isMember(*m_skill, target->name())));
            // The clicked button is part of what is rebuilt.
            QMetaObject::invokeMethod(this, &CollectionPicker::rebuild, Qt::QueuedConnection);
        });
        body->addWidget(row);
        m_rows.append(row);
    }
    m_layout->addWidget(m_body);
    adjustSize();
}

void CollectionPicker::openAt(const QRect &anchor)
{
    adjustSize();
    move(PopupPlacement::topLeft(size(), anchor, PopupPlacement::roomFor(parentWidget(), anchor)));
    show();
}
