#pragma once
// What every case must satisfy, whatever its inputs: results in range, a
// callback only with a well-formed answer, each product listed once, names
// that come back as the catalogue wrote them, a report that is XML.
#include <string>
#include <vector>

#include "robust_case.h"
#include "staged_module.h"

// One HandleRequest: what it returned and the callbacks made during it.
struct RequestOutcome {
    int returned = 0;
    std::vector<CallbackCall> calls;
};

// Totals over every checked case, to show the cases reach detection.
struct ContractTotals {
    unsigned responses = 0;  // callbacks with status 0
    unsigned items = 0;      // products listed in them
    unsigned installed = 0;  // of which found installed
};
ContractTotals& Totals();

// Every broken rule, as one line each; empty when the case kept the contract.
std::vector<std::string> CheckOutcomes(const RobustCase& robustCase, const std::vector<RequestOutcome>& outcomes,
                                       const HostContext* context);
