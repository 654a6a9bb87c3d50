#pragma once

#include <cstdio>
#include <string>

#include "ide/analysis.h"

// The machine-readable reports of tovel-check beside its text and JSON
// lines: SARIF 2.1.0 for code-scanning tools, GitHub workflow annotations.

// One SARIF log of every file checked: one run of the tool, its rules named
// by diagnostic kind, one result per finding with its level, message and
// region (lines from 1, columns in UTF-16 code units from 1, as SARIF's
// default column kind counts them). The region is what the finding is
// about, as an editor underlines it (an option's name, an escape's bytes),
// and a repeat or conflict names its earlier place as a related location.
class SarifLog {
public:
    // Adds the findings of `analysis`, reported under `path`.
    void add(Analysis* analysis, const char* path);
    // The whole log, one line of JSON.
    void write(FILE* out) const;

private:
    std::string results_;
    bool any_ = false;
};

// One `::error file=...,line=...::message` line per finding, as a GitHub
// Actions step writes annotations (notes as ::notice), on the same place
// as in SARIF.
void write_github_annotations(FILE* out, Analysis* analysis, const char* path);
