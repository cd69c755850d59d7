#include "PropertySweepSupport.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <utility>

#include "core/Assert.h"
#include "core/Desc.h"
#include "core/ParameterList.h"
#include "core/PropertyEdit.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/town/TypEst.h"
#include "typology/town/TypQuaIrregular.h"

#include "TypologyTestSupport.h"

namespace sweep {

namespace {

// Grows what a target's regrow grows: from the estates down everything to
// the leaves; a block its estates, whose buildings are made but not grown;
// the quarter its blocks so, and above it the chain through the census
// point down to the quarter.
void growChain(Desc& d, const Matrix44& frame) {
    d.refine(kModelView);
    if (dynamic_cast<TypEst*>(&d))
        return;
    const bool all = dynamic_cast<TypQua*>(&d) || dynamic_cast<TypBlo*>(&d);
    for (int i = 0; i < d.childCount(); ++i) {
        auto* child = dynamic_cast<DescPoly*>(d.child(i));
        if (!child || !dynamic_cast<DescPolyLand*>(child))
            continue;
        Matrix44 childFrame = frame;
        if (const Matrix44* local = child->localTransform())
            childFrame = frame * *local;
        if (all) {
            growChain(*child, childFrame);
            continue;
        }
        const Vector p = childFrame.inverse().transformPoint({kCensusX, 0, kCensusZ});
        if (child->poly.containsPoint(p.x, p.z)) {
            growChain(*child, childFrame);
            return;
        }
    }
}

Matrix44 frameOf(Desc& d) {
    Matrix44 frame = Matrix44::identity();
    std::vector<const Desc*> chain;
    for (const Desc* p = &d; p; p = p->parent)
        chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (const Matrix44* local = (*it)->localTransform())
            frame = frame * *local;
    return frame;
}

double regrow(Desc& d, bool toLeaves) {
    const auto start = std::chrono::steady_clock::now();
    discardGrowth(d);
    if (toLeaves)
        growAll(d);
    else
        growChain(d, frameOf(d));
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// ---- the forked child ----

class Reporter {
public:
    explicit Reporter(int fd) : fd_(fd) {}
    void line(char kind, size_t index, const std::string& text) {
        std::string out = std::string(1, kind) + " " + std::to_string(index) + " " + text;
        std::replace(out.begin(), out.end(), '\n', ' ');
        out += '\n';
        for (size_t done = 0; done < out.size();) {
            const ssize_t n = ::write(fd_, out.data() + done, out.size() - done);
            if (n <= 0)
                _exit(2);
            done += static_cast<size_t>(n);
        }
    }

private:
    int fd_;
};

// Entry `entry` of a list declared afresh, found again by its name: values
// such as "Urban" change which entries a description declares.
Parameter* entryOf(const ParameterList& list, const Case& c) {
    if (c.entry < list.count() && list.name(c.entry) == c.name)
        return list.record(c.entry);
    const int i = list.find(c.name.c_str());
    return i >= 0 ? list.record(i) : nullptr;
}

int indexOf(const ParameterList& list, const Case& c) {
    if (c.entry < list.count() && list.name(c.entry) == c.name)
        return c.entry;
    return list.find(c.name.c_str());
}

std::string allValues(const ParameterList& list) {
    std::string out;
    for (int i = 0; i < list.count(); ++i)
        if (const Parameter* p = list.record(i))
            out += p->saveValue() + '\x1f';
    return out;
}

// One regrow, its failed checks and its non-finite numbers.
bool grownSoundly(Desc& d, const Target& t, const std::string& what, Reporter& out, size_t k, double& ms) {
    try {
        ms = regrow(d, t.toLeaves);
    } catch (const AssertException& e) {
        out.line('F', k, what + ": failed check " + e.source() + " line " + std::to_string(e.line()));
        return false;
    } catch (const std::exception& e) {
        out.line('F', k, what + ": " + e.what());
        return false;
    }
    const std::string notFinite = nonFinite(d);
    if (!notFinite.empty()) {
        out.line('F', k, what + ": not finite: " + notFinite);
        return false;
    }
    return true;
}

void runValueCase(Desc& root, const Target& t, const Case& c, uint64_t before, Reporter& out, size_t k) {
    Desc* d = at(root, t.path);
    ParameterList list;
    d->declareParameters(list);
    const std::string saved = allValues(list);
    const std::string own = list.record(c.entry)->valueText();
    const std::string ownBytes = list.record(c.entry)->saveValue();
    const std::string why = editProperty(*d, list, c.entry, c.value.c_str());
    double ms = 0, back = 0;
    const std::string what = t.className + " " + c.describe();
    if (!why.empty()) {
        // As in the window, a refusal regrows nothing: nothing may have changed.
        ParameterList after;
        d->declareParameters(after);
        if (allValues(after) != saved)
            out.line('F', k, what + ": refused (" + why + ") but a value changed");
        else if (fingerprint(*d) != before)
            out.line('F', k, what + ": refused (" + why + ") but the grown subtree changed");
        out.line('R', k, "0");
        return;
    }
    grownSoundly(*d, t, what, out, k, ms);
    ParameterList again;
    d->declareParameters(again);
    const std::string refusedBack = editProperty(*d, again, indexOf(again, c), own.c_str());
    bool restored = refusedBack.empty();
    if (!restored)
        out.line('F', k, what + ": putting back \"" + own + "\" refused: " + refusedBack);
    else if (grownSoundly(*d, t, what + ", put back", out, k, back) && fingerprint(*d) != before)
        out.line('F', k, what + ": putting back \"" + own + "\" grew differently");
    else
        restored = restored && fingerprint(*d) == before;
    if (!restored) {
        // The later cases start from the value as it was.
        ParameterList exact;
        d->declareParameters(exact);
        if (Parameter* p = entryOf(exact, c))
            p->restoreValue(ownBytes);
        grownSoundly(*d, t, what + ", restored", out, k, back);
    }
    out.line('W', k, std::to_string(std::max(ms, back)));
}

void runVariantCase(Desc& root, const Target& t, const Case& c, uint64_t before, Reporter& out, size_t k) {
    Desc* d = at(root, t.path);
    ParameterList list;
    d->declareParameters(list);
    const Parameter* variants = list.variants();
    int own = -1;
    for (int i = 0; variants && variants->text() && i < variants->choiceCount(); ++i)
        if (variants->choiceName(i) == variants->text())
            own = i;
    // The list goes with the description it points into: keep its values.
    std::vector<std::pair<std::string, std::string>> values;
    for (int i = 0; i < list.count(); ++i)
        if (swept(list.record(i)))
            values.emplace_back(list.name(i), list.record(i)->valueText());
    const std::string what = t.className + " " + c.describe();
    std::string why;
    Desc* made = switchVariant(*d, c.variant, why);
    if (!made) {
        out.line('F', k, what + ": refused: " + why);
        return;
    }
    double ms = 0, back = 0;
    grownSoundly(*made, t, what, out, k, ms);
    Desc* original = switchVariant(*made, own, why);
    if (!original) {
        out.line('F', k, what + ": switching back refused: " + why);
        return;
    }
    // A variant made from another starts from that one's geometry and seed
    // but may take its own values from defaults (an estate's winding): type
    // the old ones back, as a person would, and grow it again.
    if (!grownSoundly(*original, t, what + ", switched back", out, k, back)) {
        out.line('W', k, std::to_string(std::max(ms, back)));
        return;
    }
    std::string typedBack;
    ParameterList now;
    original->declareParameters(now);
    for (const auto& [name, text] : values) {
        const int j = now.find(name.c_str());
        if (j < 0 || now.record(j)->valueText() == text)
            continue;
        typedBack += " \"" + name + "\"";
        ParameterList fresh;
        original->declareParameters(fresh);
        const std::string refused = editProperty(*original, fresh, j, text.c_str());
        if (!refused.empty())
            out.line('F', k, what + ": typing back \"" + name + "\" refused: " + refused);
    }
    if (!typedBack.empty()) {
        out.line('I', k, what + ": typed back" + typedBack);
        double again = 0;
        if (!grownSoundly(*original, t, what + ", typed back", out, k, again)) {
            out.line('W', k, std::to_string(std::max(ms, back)));
            return;
        }
        back = std::max(back, again);
    }
    if (fingerprint(*original) != before)
        out.line('F', k, what + ": switched back, it grew differently");
    out.line('W', k, std::to_string(std::max(ms, back)));
}

[[noreturn]] void runChild(Desc& root, const Target& t, const std::vector<Case>& cases, size_t first, int fd) {
    Reporter out(fd);
    Desc* d = at(root, t.path);
    if (!d) {
        out.line('F', first, t.className + ": not found");
        _exit(0);
    }
    // The regrow as the cases will do it, so that "before" is what they compare with.
    double ms = 0;
    if (!grownSoundly(*d, t, t.className + " as generated", out, first, ms)) {
        out.line('A', first, "");
        _exit(0);
    }
    const uint64_t before = fingerprint(*d);
    for (size_t k = first; k < cases.size(); ++k) {
        out.line('C', k, "");
        if (cases[k].variant >= 0)
            runVariantCase(root, t, cases[k], before, out, k);
        else
            runValueCase(root, t, cases[k], before, out, k);
    }
    out.line('E', cases.size(), "");
    _exit(0);
}

}  // namespace

std::vector<Case> variantCases(Desc& root, const Target& target) {
    std::vector<Case> cases;
    Desc* d = at(root, target.path);
    ParameterList list;
    d->declareParameters(list);
    const Parameter* variants = list.variants();
    if (!variants || !d->parent)
        return cases;
    for (int v = 0; v < variants->choiceCount(); ++v)
        if (!variants->text() || variants->choiceName(v) != variants->text())
            cases.push_back(Case{-1, "Variant", variants->choiceName(v), v});
    return cases;
}

Outcome runCases(Desc& root, const Target& target, const std::vector<Case>& cases) {
    Outcome outcome;
    size_t next = 0;
    while (next < cases.size()) {
        int fds[2];
        if (::pipe(fds) != 0) {
            outcome.failures.push_back("no pipe");
            return outcome;
        }
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        if (pid < 0) {
            outcome.failures.push_back("no fork");
            return outcome;
        }
        if (pid == 0) {
            ::close(fds[0]);
            runChild(root, target, cases, next, fds[1]);
        }
        ::close(fds[1]);
        size_t current = next;
        bool ended = false, answered = false, timedOut = false;
        std::string pending;
        for (;;) {
            pollfd p{fds[0], POLLIN, 0};
            const int ready = ::poll(&p, 1, kCaseLimitMs);
            if (ready == 0) {
                timedOut = true;
                ::kill(pid, SIGKILL);
                break;
            }
            char buffer[4096];
            const ssize_t n = ready > 0 ? ::read(fds[0], buffer, sizeof buffer) : -1;
            if (n <= 0)
                break;
            pending.append(buffer, static_cast<size_t>(n));
            for (size_t eol; (eol = pending.find('\n')) != std::string::npos; pending.erase(0, eol + 1)) {
                const std::string line = pending.substr(0, eol);
                const char kind = line[0];
                char* rest = nullptr;
                const size_t k = std::strtoul(line.c_str() + 2, &rest, 10);
                const std::string text = *rest ? rest + 1 : "";
                if (kind == 'C') {
                    current = k;
                    answered = false;
                } else if (kind == 'F') {
                    outcome.failures.push_back(text);
                } else if (kind == 'I') {
                    outcome.notes.push_back(text);
                } else if (kind == 'W' || kind == 'R') {
                    answered = true;
                    ++outcome.tried;
                    ++(kind == 'W' ? outcome.written : outcome.refused);
                    const double ms = std::strtod(text.c_str(), nullptr);
                    outcome.regrows += kind == 'W' ? 2 : 0;
                    if (target.belowQuarter && ms > kSlowRegrowMs) {
                        ++outcome.slowRegrows;
                        outcome.slow.push_back(target.className + " " + cases[k].describe() + " " +
                                               std::to_string(static_cast<long>(ms)) + " ms");
                    }
                    if (ms > outcome.slowestMs) {
                        outcome.slowestMs = ms;
                        outcome.slowest = target.className + " " + cases[k].describe();
                    }
                } else if (kind == 'E' || kind == 'A') {
                    ended = true;
                }
            }
        }
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (ended)
            break;
        const std::string what = target.className + " " + cases[current].describe();
        if (timedOut)
            outcome.failures.push_back(what + ": no answer within " + std::to_string(kCaseLimitMs / 1000) +
                                       " s (a hang)");
        else if (WIFSIGNALED(status))
            outcome.failures.push_back(what + ": crashed with signal " + std::to_string(WTERMSIG(status)));
        else if (!answered)
            outcome.failures.push_back(what + ": ended without an answer, status " +
                                       std::to_string(WEXITSTATUS(status)));
        next = current + 1;
    }
    return outcome;
}

}  // namespace sweep
