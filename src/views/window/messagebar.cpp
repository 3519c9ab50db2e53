#include "messagebar.h"

#include "storesaver.h"
#include "symbolicons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

using namespace Qt::StringLiterals;

MessageBar::MessageBar(StoreSaver *saver, QWidget *parent)
    : QFrame(parent),
      m_saver(saver),
      m_icon(new QLabel(this)),
      m_text(new QLabel(this)),
      m_retry(new QPushButton(u"Retry"_s, this))
{
    setObjectName(u"messageBar"_s);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    setPalette(colours);

    m_icon->setPixmap(SymbolIcons::icon(u"exclamationmark.triangle.fill"_s).pixmap(16, 16));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setTextFormat(Qt::PlainText);
    auto *dismiss = new QToolButton(this);
    dismiss->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    dismiss->setAutoRaise(true);
    dismiss->setToolTip(u"Close"_s);
    dismiss->setAccessibleName(u"Close"_s);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 6, 6, 6);
    layout->addWidget(m_icon);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_retry);
    layout->addWidget(dismiss);
    hide();

    connect(m_retry, &QPushButton::clicked, this, [this] {
        if (m_saver)
            m_saver->retry(); // a new failure shows itself again
    });
    // Closing only hides the strip; the changes stay pending and the next
    // failure shows it again.
    connect(dismiss, &QToolButton::clicked, this, &QWidget::hide);
    if (m_saver) {
        connect(m_saver, &StoreSaver::saveFailed, this, &MessageBar::showMessage);
        connect(m_saver, &StoreSaver::saveRecovered, this, &QWidget::hide);
        if (m_saver->hasFailed())
            showMessage(m_saver->failure());
    }
}

QString MessageBar::text() const
{
    return m_text->text();
}

void MessageBar::showMessage(const QString &message)
{
    m_text->setText(message);
    show();
}
