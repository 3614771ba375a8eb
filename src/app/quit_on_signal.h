#pragma once
// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl-C in the terminal that started
// the program, kill) end the window the way its close button does, so the
// phone's copied databases are deleted and a scan is stopped rather than the
// process vanishing with them left behind.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace quen::app {

class QuitOnSignal final : public QObject {
    Q_OBJECT
public:
    // `on_signal` runs on the user-interface thread after one of the signals.
    // One instance per process.
    explicit QuitOnSignal(std::function<void()> on_signal, QObject* parent = nullptr);
    ~QuitOnSignal() override;

private:
    std::function<void()> on_signal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace quen::app
