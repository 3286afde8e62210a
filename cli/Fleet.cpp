#include "cli/Fleet.h"

#include "cli/Site.h"
#include "data/DeviceEntry.h"
#include "device/NetworkTargets.h"
#include "net/EventWait.h"
#include "ops/FtpLink.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QHostAddress>
#include <QObject>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <tuple>
#include <utility>

namespace cli {
namespace {

bool runOne(const Site& site, Job& job, TDeviceEntry& entry, const Operation& operation) {
    try {
        const bool ok = site.login(job, entry) && operation(job, entry);
        job.endController();
        return ok;
    } catch (const std::exception& e) {
        job.endController();
        // What the window's general error handler would show (a socket or a conversion error); the
        // other controllers go on.
        job.report(entry, QString::fromUtf8(e.what()), true);
        return false;
    } catch (...) {
        // Nothing of ours throws anything else; should something, it ends this controller's work only,
        // not the worker thread and with it the process.
        job.endController();
        job.report(entry, QStringLiteral("Unerwarteter Fehler."), true);
        return false;
    }
}

QString startText(std::size_t i, std::size_t total, const TDeviceEntry& entry) {
    return QStringLiteral("[%1/%2] %3").arg(i + 1).arg(total).arg(Site::Label(entry));
}

// One controller's share of the work: written by its worker until `done`, then read by the
// coordinating thread only.
struct Slot {
    enum Stream { Out, Err };

    TDeviceEntry* entry = nullptr;
    std::vector<std::pair<Stream, QString>> lines;
    bool ok = false;
    std::atomic<bool> done{false};
};

class Fleet {
public:
    Fleet(Site& site, const std::vector<TDeviceEntry*>& entries, const Operation& operation)
        : m_site(site), m_operation(operation) {
        for (TDeviceEntry* entry : entries) {
            m_slots.push_back(std::make_unique<Slot>());
            m_slots.back()->entry = entry;
        }
    }

    QStringList run(int jobs) {
        // Read here once, so that no worker is the first to make them.
        Targets();
        const int workers =
            static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(jobs), m_slots.size()));
        std::vector<std::unique_ptr<QThread>> threads;
        for (int w = 0; w < workers; ++w) {
            threads.emplace_back(QThread::create([this, w] { work(w); }));
            threads.back()->start();
        }
        // This thread's event loop runs meanwhile: it prints what the workers post, and whatever else
        // lives here (a simulated controller in a test) goes on answering.
        while (!net::waitUntil([this] { return flush(); }, 1000)) {
        }
        for (const auto& thread : threads)
            thread->wait();
        QCoreApplication::sendPostedEvents(&m_home, QEvent::MetaCall);
        return m_failed;
    }

private:
    // Runs on worker thread number w.
    void work(int w) {
        const QString folder = QDir(m_site.workFolder()).filePath(QStringLiteral("job-%1").arg(w + 1));
        QDir().mkpath(folder);
        ops::FtpLink ftp;
        for (;;) {
            const std::size_t i = m_next.fetch_add(1);
            if (i >= m_slots.size())
                break;
            Slot& slot = *m_slots[i];
            Console console;
            console.out = [&slot](const QString& line) { slot.lines.emplace_back(Slot::Out, line); };
            console.err = [&slot](const QString& line) { slot.lines.emplace_back(Slot::Err, line); };
            if (m_site.console().progress) {
                console.progress = [this](const QString& line) {
                    post([this, line] { m_site.console().step(line); });
                };
            }
            Job job(console, ftp, folder);
            console.step(startText(i, m_slots.size(), *slot.entry));
            slot.ok = runOne(m_site, job, *slot.entry, m_operation);
            slot.done.store(true, std::memory_order_release);
            post([] { net::wakeWaiters(); });
        }
    }

    // Hands f to the coordinating thread.
    void post(std::function<void()> f) {
        QMetaObject::invokeMethod(&m_home, std::move(f), Qt::QueuedConnection);
    }

    // Prints every finished controller whose predecessors have all printed; true when all have.
    bool flush() {
        while (m_flushed < m_slots.size() && m_slots[m_flushed]->done.load(std::memory_order_acquire)) {
            Slot& slot = *m_slots[m_flushed];
            const Console& console = m_site.console();
            for (const auto& [stream, line] : slot.lines) {
                if (stream == Slot::Out)
                    console.print(line);
                else
                    console.error(line);
            }
            std::vector<std::pair<Slot::Stream, QString>>().swap(slot.lines);
            if (!slot.ok)
                m_failed << Site::Label(*slot.entry);
            ++m_flushed;
        }
        return m_flushed == m_slots.size();
    }

    Site& m_site;
    const Operation& m_operation;
    std::vector<std::unique_ptr<Slot>> m_slots;
    std::atomic<std::size_t> m_next{0};
    std::size_t m_flushed = 0;
    QStringList m_failed;
    QObject m_home; // lives in the coordinating thread: the workers' posts arrive through it
};

} // namespace

void SortBySerial(std::vector<TDeviceEntry*>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const TDeviceEntry* a, const TDeviceEntry* b) {
        const auto key = [](const TDeviceEntry* e) {
            const auto serial = static_cast<std::uint32_t>(e->Serial);
            return std::make_tuple(serial == 0, serial, QHostAddress(e->IPAddress).toIPv4Address());
        };
        return key(a) < key(b);
    });
}

QStringList RunFleet(Site& site, const std::vector<TDeviceEntry*>& entries, int jobs,
                     const Operation& operation) {
    if (jobs > 1 && entries.size() > 1)
        return Fleet(site, entries, operation).run(jobs);
    QStringList failed;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        TDeviceEntry& entry = *entries[i];
        site.console().step(startText(i, entries.size(), entry));
        if (!runOne(site, site.job(), entry, operation))
            failed << Site::Label(entry);
    }
    return failed;
}

} // namespace cli
