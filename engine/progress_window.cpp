#include "progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <mutex>
#include <thread>

namespace avelor::engine {

namespace {

// What the worker shares with the window.
struct Shared {
    std::mutex mutex;
    RunProgress latest;
    bool has_progress = false;
    std::atomic<bool> done{false};
    std::atomic<bool> stop{false};
    int exit_code = 0;
};

class ProgressWindow : public QWidget {
public:
    ProgressWindow(const std::string& project_name, Shared& shared, const std::atomic<bool>* external_stop)
        : shared_(shared), external_stop_(external_stop)
    {
        setWindowTitle(QStringLiteral("AVELORX3"));
        auto* layout = new QVBoxLayout(this);
        auto* name = new QLabel(QStringLiteral("Simulating %1").arg(QString::fromStdString(project_name)), this);
        instant_ = new QLabel(QStringLiteral("Starting"), this);
        instant_->setObjectName(QStringLiteral("instant"));
        bar_ = new QProgressBar(this);
        bar_->setRange(0, 1000);
        bar_->setValue(0);
        stop_ = new QPushButton(QStringLiteral("Stop"), this);
        stop_->setObjectName(QStringLiteral("stop"));
        layout->addWidget(name);
        layout->addWidget(instant_);
        layout->addWidget(bar_);
        layout->addWidget(stop_);
        connect(stop_, &QPushButton::clicked, this, [this] { request_stop(); });
        timer_ = new QTimer(this);
        connect(timer_, &QTimer::timeout, this, [this] { refresh(); });
        timer_->start(50);
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        // The window stays until the run has closed its files.
        if (!shared_.done.load()) {
            request_stop();
            event->ignore();
            return;
        }
        event->accept();
    }

private:
    void request_stop()
    {
        shared_.stop.store(true);
        stop_->setEnabled(false);
        instant_->setText(QStringLiteral("Stopping"));
    }

    void refresh()
    {
        if (external_stop_ && external_stop_->load() && !shared_.stop.load())
            request_stop();
        RunProgress p;
        bool has = false;
        {
            std::lock_guard lock(shared_.mutex);
            p = shared_.latest;
            has = shared_.has_progress;
        }
        if (has && !shared_.stop.load()) {
            instant_->setText(QString::fromStdString(run_instant_text(p.day, p.time)) +
                              QStringLiteral("   iterations %1").arg(p.iterations));
            bar_->setValue(static_cast<int>(p.fraction * 1000));
        }
        if (shared_.done.load()) {
            timer_->stop();
            QApplication::quit();
        }
    }

    Shared& shared_;
    const std::atomic<bool>* external_stop_ = nullptr;
    QLabel* instant_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* stop_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace

int run_in_progress_window(int& argc, char** argv, const std::string& project_name, const WindowWork& work,
                           const std::atomic<bool>* external_stop)
{
    QApplication app(argc, argv);
    Shared shared;
    ProgressWindow window(project_name, shared, external_stop);
    window.show();
    std::thread worker([&] {
        const auto sink = [&](const RunProgress& p) {
            std::lock_guard lock(shared.mutex);
            shared.latest = p;
            shared.has_progress = true;
        };
        int code = 2;
        try {
            code = work(sink, shared.stop);
        } catch (...) {
            code = 2;
        }
        shared.exit_code = code;
        shared.done.store(true);
    });
    // The run may end before the event loop starts; the timer sees it.
    QApplication::exec();
    worker.join();
    return shared.exit_code;
}

}  // namespace avelor::engine
