#pragma once

#include <cstdio>
#include <random>
#include <string_view>

// The benchmarks' SMTP-like log lines of about 110 characters, without line
// ends, the same for a seed on every run. With `names`, one line in a thousand
// names "Émile Zoë" in code page 1252. `take` returns false to stop early.
template <class Take>
void MakeBenchLines(std::size_t count, unsigned seed, bool names, Take take) {
    std::mt19937 gen(seed);
    const auto r = [&gen](unsigned n) { return static_cast<unsigned>(gen() % n); };
    static const char* verbs[] = {"RCPT TO:<", "MAIL FROM:<", "Connect from <", "QUIT from <"};
    char line[256];
    for (std::size_t i = 0; i < count; ++i) {
        const int n =
            std::snprintf(line, sizeof line,
                          "2026-12-06 %02u:%02u:%02u.%03u [%05u] %suser%u@mail%u.example.com> "
                          "session %08x from 192.0.2.%u size=%u",
                          r(24), r(60), r(60), r(1000), r(100000),
                          names && r(1000) == 0 ? "MAIL FROM:\"\xC9mile Zo\xEB\" <" : verbs[r(4)],
                          r(5000), r(50), static_cast<unsigned>(gen()), r(255), r(100000));
        if (!take(std::string_view(line, static_cast<std::size_t>(n)))) return;
    }
}
