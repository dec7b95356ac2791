#include "printing/spooler.h"

#include "files/system_error.h"
#include "text/failure.h"

#include <QFile>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <cups/cups.h>
#include <pthread.h>

namespace rinova::printing {
namespace {

// How long one step may wait for the print service before the job counts as failed.
constexpr double kTimeoutSeconds = 120.0;

QString failed(const QString& what, const QString& words) {
    QString message = QStringLiteral("印刷に失敗しました: ") + what;
    if (!words.trimmed().isEmpty()) message += QStringLiteral(" (") + words.trimmed() + u')';
    return message;
}

QString lastWords() {
    return QString::fromUtf8(cupsLastErrorString());
}

bool connectionLost(ipp_status_t status) {
    return status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL;
}

// What a refusal of the print service means for the user; `started` tells whether the job
// already existed when it came.
QString refusal(ipp_status_t status, const QString& printer, bool started) {
    switch (status) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return QStringLiteral("プリンタ %1 はジョブを受け付けていません").arg(printer);
    case IPP_STATUS_ERROR_NOT_FOUND:
    case IPP_STATUS_ERROR_GONE:
        return QStringLiteral("プリンタ %1 が見つかりません").arg(printer);
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
        return QStringLiteral("プリンタ %1 に印刷する権限がありません").arg(printer);
    default:
        if (connectionLost(status))
            return started ? QStringLiteral("印刷の途中で印刷サービスが止まりました")
                           : QStringLiteral("印刷サービスに接続できません");
        return QStringLiteral("印刷サービスがジョブを受け付けません");
    }
}

http_t* connectToService() {
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                30000, nullptr);
    if (http) httpSetTimeout(http, kTimeoutSeconds, nullptr, nullptr);
    return http;
}

// A range or subset of pages would leave cards unprinted: every card of a job prints.
bool selectsPages(const char* name) {
    return !std::strcmp(name, "page-ranges") || !std::strcmp(name, "page-set");
}

// The queue's description, which comes with its defaults, is no job option.
bool describesPrinter(const char* name) {
    return !std::strncmp(name, "printer-", 8) || !std::strncmp(name, "marker-", 7) ||
           !std::strcmp(name, "device-uri");
}

// A write on a connection the service dropped raises SIGPIPE, which would end the program; the
// failed write is reported instead.
class NoSigpipe {
public:
    NoSigpipe() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~NoSigpipe() {
        sigset_t pending;
        sigpending(&pending);
        if (!wasPending_ && sigismember(&pending, SIGPIPE) == 1) {
            const timespec none{};
            sigtimedwait(&pipe_, nullptr, &none);
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    NoSigpipe(const NoSigpipe&) = delete;
    NoSigpipe& operator=(const NoSigpipe&) = delete;

private:
    sigset_t pipe_{}, old_{};
    bool wasPending_ = false;
};

// Cancels a job on a new connection. A service that has just gone away may be coming back
// (restarted, or started again on demand), so it is asked again for a few seconds.
bool cancelJob(const QByteArray& printer, int id) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (attempt) QThread::msleep(400);
        http_t* http = connectToService();
        if (!http) continue;
        const ipp_status_t status = cupsCancelJob2(http, printer.constData(), id, 0);
        httpClose(http);
        // Not found or not possible: the job is gone or already over.
        if (status <= IPP_STATUS_OK_CONFLICTING || status == IPP_STATUS_ERROR_NOT_FOUND ||
            status == IPP_STATUS_ERROR_NOT_POSSIBLE)
            return true;
        if (!connectionLost(status)) return false;
    }
    return false;
}

// Whether the user's or the system's printer settings hold this instance of the queue.
bool instanceListed(http_t* http, const QByteArray& queue, const QByteArray& instance) {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(http, &dests);
    const bool listed =
        cupsGetDest(queue.constData(), instance.constData(), count, dests) != nullptr;
    cupsFreeDests(count, dests);
    return listed;
}

} // namespace

SpoolJob::SpoolJob(const QString& queue, const SpoolOptions& options) {
    printer_ = queue.section(u'/', 0, 0);
    const QByteArray printer = printer_.toUtf8();
    const QByteArray instance = queue.section(u'/', 1).toUtf8();
    http_ = connectToService();
    // A failed connection leaves errno to its clean-up (always EBADF), not to its cause.
    if (!http_)
        throw text::Failure(failed(QStringLiteral("印刷サービスに接続できません"),
                                   QStringLiteral("印刷サービスが動いていないか、つながりません")));

    cups_option_t* list = nullptr;
    int count = 0;
    for (const auto& [name, value] : options) {
        const QByteArray n = name.toUtf8();
        if (!selectsPages(n.constData()))
            count = cupsAddOption(n.constData(), value.toUtf8().constData(), count, &list);
    }
    // The service takes an instance it does not know for its queue: one removed since the job
    // began would print there without its options.
    if (!instance.isEmpty() && !instanceListed(http_, printer, instance)) {
        cupsFreeOptions(count, list);
        fail(refusal(IPP_STATUS_ERROR_NOT_FOUND, queue, false), QString());
    }
    // The user's own defaults for the queue, as the spooler's command-line tools add them.
    cups_dest_t* dest = cupsGetNamedDest(http_, printer.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest) {
        cupsFreeOptions(count, list);
        fail(refusal(cupsLastError(), printer_, false), lastWords());
    }
    for (int i = 0; i < dest->num_options; ++i) {
        const cups_option_t& o = dest->options[i];
        if (!selectsPages(o.name) && !describesPrinter(o.name) &&
            !cupsGetOption(o.name, count, list))
            count = cupsAddOption(o.name, o.value, count, &list);
    }
    cupsFreeDests(1, dest);
    id_ = cupsCreateJob(http_, printer.constData(), "", count, list);
    cupsFreeOptions(count, list);
    if (id_ <= 0) {
        id_ = 0;
        fail(refusal(cupsLastError(), printer_, false), lastWords());
    }
}

SpoolJob::~SpoolJob() {
    if (http_) httpClose(http_);
    if (id_ && !done_) cancelJob(printer_.toUtf8(), id_);
}

QString SpoolJob::name() const {
    return printer_ + u'-' + QString::number(id_);
}

void SpoolJob::write(const char* data, qsizetype size) {
    const QByteArray printer = printer_.toUtf8();
    NoSigpipe guard;
    if (!documentStarted_) {
        // No document name: the job carries no name of a file of ours.
        if (cupsStartDocument(http_, printer.constData(), id_, nullptr, CUPS_FORMAT_AUTO, 1) !=
            HTTP_STATUS_CONTINUE)
            fail(refusal(cupsLastError(), printer_, true), lastWords());
        documentStarted_ = true;
    }
    if (size > 0 &&
        cupsWriteRequestData(http_, data, static_cast<std::size_t>(size)) != HTTP_STATUS_CONTINUE) {
        const int error = httpError(http_);
        fail(QStringLiteral("印刷の途中で印刷サービスが止まりました"),
             error ? files::systemErrorText(error) : lastWords());
    }
}

QString SpoolJob::finish() {
    if (!documentStarted_) write(nullptr, 0);
    const QByteArray printer = printer_.toUtf8();
    ipp_status_t status;
    {
        NoSigpipe guard;
        status = cupsFinishDocument(http_, printer.constData());
    }
    if (status > IPP_STATUS_OK_CONFLICTING) fail(refusal(status, printer_, true), lastWords());
    done_ = true;

    QString notice;
    if (cups_dest_t* dest = cupsGetNamedDest(http_, printer.constData(), nullptr)) {
        const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
        if (state && std::atoi(state) == IPP_PSTATE_STOPPED)
            notice = QStringLiteral("プリンタ %1 は停止しています。ジョブ %2 "
                                    "はプリンタが再開されるまでキューで待ちます")
                         .arg(printer_, name());
        cupsFreeDests(1, dest);
    }
    return notice;
}

void SpoolJob::fail(const QString& what, const QString& words) {
    QString message = failed(what, words);
    if (http_) {
        httpClose(http_);
        http_ = nullptr;
    }
    if (id_ && !done_) {
        done_ = true;
        if (!cancelJob(printer_.toUtf8(), id_))
            message += QStringLiteral("。ジョブ %1 を取り消せませんでした").arg(name());
    }
    throw text::Failure(message);
}

QString spoolFile(const QString& queue, const SpoolOptions& options, const QString& file) {
    QFile in(file);
    const QString unreadable = failed(QStringLiteral("ジョブのファイルを読めません"), QString());
    if (!in.open(QIODevice::ReadOnly)) throw text::Failure(unreadable);
    SpoolJob job(queue, options);
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0) throw text::Failure(unreadable); // the job is cancelled on the way out
        if (n == 0) break;
        job.write(buffer.constData(), n);
    }
    return job.finish();
}

QString defaultDestination() {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest) return {};
    QString name = QString::fromUtf8(dest->name);
    if (dest->instance) name += u'/' + QString::fromUtf8(dest->instance);
    cupsFreeDests(1, dest);
    return name;
}

} // namespace rinova::printing
