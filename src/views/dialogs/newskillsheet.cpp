#include "newskillsheet.h"

#include "appstate.h"
#include "cardstyle.h"
#include "modelcontext.h"
#include "settingsstore.h"
#include "skillcreator.h"
#include "storesaver.h"
#include "symbolicons.h"

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Every sheet open in any window: the shared flag stays true until the last closes.
QList<QPointer<NewSkillSheet>> &openSheets()
{
    static QList<QPointer<NewSkillSheet>> sheets;
    sheets.removeAll(nullptr);
    return sheets;
}

void present(QWidget *window, AppState *state, ModelContext *context, SettingsStore *settings)
{
    if (NewSkillSheet *open = NewSkillSheet::openOver(window)) {
        open->raise();
        open->activateWindow();
        return;
    }
    const ToolSource initial
        = SkillCreator::initialTool(settings ? settings->defaultTool() : ToolSource::Claude);
    auto *sheet = new NewSkillSheet(state, context, initial, window);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    openSheets().append(sheet);
    QObject::connect(sheet, &QDialog::finished, state, [state, sheet] {
        openSheets().removeAll(sheet);
        if (openSheets().isEmpty())
            state->setShowingNewSkillSheet(false);
    });
    state->setShowingNewSkillSheet(true);
    sheet->open();
}

} // namespace

NewSkillSheet::NewSkillSheet(
    AppState *state, ModelContext *context, ToolSource initialTool, QWidget *parent)
    : QDialog(parent),
      m_state(state),
      m_context(context),
      m_name(new QLineEdit(this)),
      m_tool(new QComboBox(this)),
      m_error(new QLabel(this)),
      m_create(new QPushButton(u"Create"_s, this))
{
    setWindowTitle(u"New Skill"_s);
    constexpr int width = 400;
    constexpr int margin = 24;

    auto *title = new QLabel(u"New Skill"_s, this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    // The layout fixes the sheet to its content; the full-width title makes that 400 wide.
    title->setFixedWidth(width - 2 * margin);

    m_name->setPlaceholderText(u"Skill name"_s);
    m_name->setAccessibleName(u"Skill name"_s);
    for (ToolSource tool : SkillCreator::offeredTools()) {
        m_tool->addItem(SymbolIcons::icon(ToolSources::symbolName(tool)),
            ToolSources::displayName(tool), ToolSources::rawValue(tool));
    }
    m_tool->setCurrentIndex(int(SkillCreator::offeredTools().indexOf(initialTool)));
    m_tool->setAccessibleName(u"Tool"_s);

    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow(u"Skill name"_s, m_name);
    form->addRow(u"Tool"_s, m_tool);

    QFont caption = m_error->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.85);
    m_error->setFont(caption);
    QPalette red = m_error->palette();
    red.setColor(QPalette::WindowText, CardStyle::errorText(red));
    m_error->setPalette(red);
    m_error->setWordWrap(true);
    m_error->setAlignment(Qt::AlignHCenter);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_error->hide();

    auto *cancel = new QPushButton(u"Cancel"_s, this);
    // Return belongs to Create, even while Cancel has the focus.
    cancel->setAutoDefault(false);
    m_create->setDefault(true);
    m_create->setEnabled(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    buttons->addWidget(m_create);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(20);
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->addWidget(title);
    column->addLayout(form);
    column->addWidget(m_error);
    column->addLayout(buttons);

    // Zero characters disable Create; a name of spaces is the creator's to judge.
    connect(m_name, &QLineEdit::textChanged, this,
        [this](const QString &text) { m_create->setEnabled(!text.isEmpty()); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_create, &QPushButton::clicked, this, &NewSkillSheet::create);
    m_name->setFocus();
}

void NewSkillSheet::attach(QWidget *window, QAction *newSkill, AppState *state,
    ModelContext *context, SettingsStore *settings)
{
    QObject::connect(
        newSkill, &QAction::triggered, window, [=] { present(window, state, context, settings); });
    QObject::connect(state, &AppState::showingNewSkillSheetChanged, window, [=] {
        if (!state->showingNewSkillSheet()) {
            if (NewSkillSheet *open = openOver(window))
                open->reject();
        } else if (openSheets().isEmpty() && window->isActiveWindow()) {
            present(
                window, state, context, settings); // set from elsewhere: the front window shows it
        }
    });
}

NewSkillSheet *NewSkillSheet::openOver(const QWidget *window)
{
    for (const QPointer<NewSkillSheet> &sheet : std::as_const(openSheets())) {
        if (sheet && sheet->parentWidget() == window && !sheet->isHidden())
            return sheet;
    }
    return nullptr;
}

QString NewSkillSheet::errorMessage() const
{
    return m_error->isHidden() ? QString() : m_error->text();
}

ToolSource NewSkillSheet::selectedTool() const
{
    return ToolSources::fromRaw(m_tool->currentData().toString()).value_or(ToolSource::Claude);
}

void NewSkillSheet::create()
{
    if (m_name->text().isEmpty())
        return;
    if (!m_context) {
        showError(u"The store is closed."_s);
        return;
    }
    const Result<Skill *> created
        = SkillCreator::createSkill(m_name->text(), selectedTool(), *m_context);
    if (!created) {
        if (created.error().code == Error::Store) {
            // The file is made; only its record is pending. Creating it again
            // would be refused, so the sheet closes and the window offers
            // Retry for the record.
            StoreSaver::of(m_context)->report(created.error());
            accept();
            return;
        }
        showError(created.error().message);
        return;
    }
    // A new skill is a file to write: it opens where it can be written.
    m_state->setDetailViewMode(DetailViewMode::Editor);
    m_state->setSelectedSkill(created.value());
    accept();
}

void NewSkillSheet::showError(const QString &message)
{
    m_error->setText(message);
    m_error->show();
}
