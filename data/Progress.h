#pragma once

// What a long step reports while it runs: one kind of callback for every operation on a controller and
// for the reports built from its tables, so that the window, the command line or a worker thread follow
// any of them alike. The callback runs on the thread of the operation, in the order things happen; an
// unset callback is not called.

#include <QtGlobal>

#include <functional>

struct ProgressStep {
    enum Kind {
        Transfer,         // value: the bytes the running FTP request has moved so far
        RequestDone,      // an FTP request has ended, whatever it came to
        LogbookCounted,   // value: the number of entries the controller reports in its logbook
        DownloadBegins,   // the FTP connection stands and the file is about to arrive
        ActivationBegins, // the controller is switching to the uploaded tables, which takes it a while
        ActivationEnded,
        Percent, // value: how much of a report is built, 0 to 100
    };
    Kind kind = Percent;
    qint64 value = 0;
};

using Progress = std::function<void(const ProgressStep& step)>;

inline void Report(const Progress& progress, ProgressStep::Kind kind, qint64 value = 0) {
    if (progress)
        progress(ProgressStep{kind, value});
}
