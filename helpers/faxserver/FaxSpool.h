#pragma once
// The spool fax server: every job becomes one folder below the spool
// directory with the page files (page001.jpg, ...) and job.ini naming
// receiver, fax number, sender and pages. The folder is written under a
// hidden name and renamed when complete, so whoever collects the jobs
// never sees half a job.

#include "faxserver/FaxJob.h"

namespace kvfax {

// Writes the job; returns the job folder. FaxError when it cannot.
std::string spoolJob(const std::string &spoolDir, const FaxJob &job);

} // namespace kvfax
