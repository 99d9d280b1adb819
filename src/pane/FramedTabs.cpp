#include "pane/FramedTabs.h"

#include <QFrame>
#include <QVBoxLayout>

FramedTabs::FramedTabs(const char* name, const char* frameName, const QStringList& captions, int framedTabs, QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    for (int i = 0; i < captions.size(); ++i) {
        auto* page = new QWidget;
        if (i < framedTabs) {
            auto* layout = new QVBoxLayout(page);
            layout->setContentsMargins(0, 0, 0, 0);
            auto* frame = new QFrame(page);
            frame->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(frameName)).arg(i));
            layout->addWidget(frame);
            m_frames.push_back(frame);
        }
        addTab(page, captions[i]);
    }
    connect(this, &QTabWidget::currentChanged, this, [this](int) {
        const int previous = m_previous;
        m_previous = currentIndex();
        emit Click(previous);
    });
}

void FramedTabs::showSelectedFrame()
{
    const int selected = currentIndex();
    for (int i = 0; i < frameCount(); ++i)
        m_frames[size_t(i)]->setVisible(i == selected);
}
