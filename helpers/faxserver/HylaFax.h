#pragma once
// A HylaFAX server: the job's page pictures become one PDF (one picture a
// page, fitted to A4) that HylaFAX's sendfax submits:
//   sendfax -n -h [modem@]host -d number -x receiver -f sender job.pdf
// sendfax is found on PATH (Debian package hylafax-client).

#include "faxserver/FaxJob.h"
#include "faxserver/FaxSettings.h"

namespace kvfax {

// Submits the job; FaxError with sendfax's own words when it refuses.
void submitToHylaFax(const FaxServer &server, const FaxJob &job);

} // namespace kvfax
