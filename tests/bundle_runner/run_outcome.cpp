#include "run_outcome.h"

std::wstring Headline(const RunOutcome& outcome) {
    switch (outcome.verdict) {
        case Verdict::kPassed:
            return outcome.why.empty() ? L"passed" : L"passed, " + outcome.why;
        case Verdict::kFailed:
            return L"FAILED: " + outcome.why;
        case Verdict::kSkipped:
            return L"skipped: " + outcome.why;
    }
    return outcome.why;
}
