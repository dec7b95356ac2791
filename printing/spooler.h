// Print jobs handed to a queue of the system's print service. What goes wrong is said in
// Japanese, with the service's own words in parentheses, and a job that fails is cancelled so
// that no half job stays queued.
#pragma once

#include <QString>
#include <utility>
#include <vector>

struct _http_s;

namespace rinova::printing {

// Job options as name/value pairs, as the print service's option syntax reads them.
using SpoolOptions = std::vector<std::pair<QString, QString>>;

// One job on a queue: created with an empty title, then its one document, without a name,
// written in pieces. Every step throws text::Failure when it fails, after cancelling the job.
class SpoolJob {
public:
    // Creates the job on `queue` ("NAME" or "NAME/INSTANCE") with the options, then the
    // queue's own defaults for this user. A page range or page set among them is dropped:
    // every card of a job prints. An instance that the settings no longer hold is refused.
    SpoolJob(const QString& queue, const SpoolOptions& options);
    ~SpoolJob(); // a job not finished is cancelled
    SpoolJob(const SpoolJob&) = delete;
    SpoolJob& operator=(const SpoolJob&) = delete;

    int id() const { return id_; }
    // The job as the print service names it: "QUEUE-ID".
    QString name() const;

    void write(const char* data, qsizetype size);
    // Ends the document and so hands the job over. Returns a notice for the user when the
    // printer is stopped and the job waits in its queue; empty otherwise.
    QString finish();

private:
    [[noreturn]] void fail(const QString& what, const QString& words);

    QString printer_;
    _http_s* http_ = nullptr;
    int id_ = 0;
    bool documentStarted_ = false;
    bool done_ = false;
};

// Sends a finished job file as one job; returns the notice of SpoolJob::finish().
QString spoolFile(const QString& queue, const SpoolOptions& options, const QString& file);

// The print service's default destination for this user ("NAME" or "NAME/INSTANCE", from
// LPDEST, PRINTER, the user's and the system's settings); empty when there is none.
QString defaultDestination();

} // namespace rinova::printing
