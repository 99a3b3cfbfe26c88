// The `vantir._vantir` extension: vantir.build, vantir.Filter and the mapping of
// the library's and the tooling's failures onto Python exceptions and warnings.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>
// After Python's headers, which must come first.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "python/src/batch.h"
#include "python/src/filter_engine.h"
#include "tools/compile/data_build.h"
#include "tools/compile/file_output.h"
#include "tools/run/postal_run.h"

namespace py = pybind11;

namespace vantir::python {

namespace {

#ifndef VANTIR_VERSION
#error "VANTIR_VERSION must be defined by the build"
#endif

// Name of the warning category for words the lexicon does not hold.
constexpr const char* kUnknownWordWarning = "UnknownWordWarning";

// The category object, created once at import and never released: the module
// and this pointer hold it for the interpreter's life.
PyObject* g_unknownWordWarning = nullptr;

[[noreturn]] void RaiseValueError(const std::string& message) {
    throw py::value_error(message);
}

// OSError(errno, message, filename): Python picks the subclass for the errno
// (FileNotFoundError, PermissionError, ...), as open() would.
[[noreturn]] void RaiseOsError(int error, const std::string& message,
                               const std::filesystem::path& path) {
    py::object exception = py::handle(PyExc_OSError)(error, message, py::str(path.string()));
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
    throw py::error_already_set();
}

[[noreturn]] void RaiseOsError(int error, const std::filesystem::path& path) {
    RaiseOsError(error, std::strerror(error), path);
}

[[noreturn]] void RaiseEngineError(const EngineError& error) {
    if (error.code == VANTIR_OUT_OF_MEMORY) throw std::bad_alloc();
    RaiseValueError(error.message);
}

// Files are checked before the tooling reads them, so that a file that is
// missing or unreadable is an OSError and whatever the tooling still refuses
// is about the content.
// Opened without blocking: a pipe with no writer is no reason to wait here
// (the loaders refuse a pipe for a blob; a source may be one).
void RequireReadable(const std::filesystem::path& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) RaiseOsError(errno != 0 ? errno : ENOENT, path);
    struct stat status {};
    const bool directory = fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
    close(fd);
    if (directory) RaiseOsError(EISDIR, path);
}

void Warn(PyObject* category, const std::string& message) {
    // A C function has no frame of its own: level 1 points at the caller's line.
    if (PyErr_WarnEx(category, message.c_str(), 1) < 0) throw py::error_already_set();
}

void WarnUnknown(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        Warn(g_unknownWordWarning,
             "unknown word " + tools::Shown(word) + " left out of the hypothesis");
    }
}

// The UTF-8 bytes of a str, or of a bytes object after a strict check, as a
// hypothesis (HypothesisText: no byte order mark, no line break).
std::string Utf8Of(const py::handle& item, const std::string& what) {
    if (PyUnicode_Check(item.ptr())) {
        Py_ssize_t size = 0;
        const char* bytes = PyUnicode_AsUTF8AndSize(item.ptr(), &size);
        if (bytes == nullptr) {
            PyErr_Clear();
            RaiseValueError(what + ": not encodable as UTF-8 (lone surrogate)");
        }
        return std::string(HypothesisText(std::string_view(bytes, static_cast<size_t>(size))));
    }
    if (PyBytes_Check(item.ptr())) {
        std::string bytes = py::reinterpret_borrow<py::bytes>(item);
        Expected<std::u16string> decoded = ToUtf16(bytes);
        if (!decoded) RaiseValueError(what + ": " + decoded.error().message);
        return std::string(HypothesisText(bytes));
    }
    throw py::type_error(what + " must be str, not " +
                         std::string(py::str(py::type::handle_of(item).attr("__name__"))));
}

std::vector<std::string> HypothesisLines(const py::handle& hypotheses) {
    if (PyUnicode_Check(hypotheses.ptr()) || PyBytes_Check(hypotheses.ptr())) {
        throw py::type_error(
            "hypotheses must be a list of str, one hypothesis each, not a single str");
    }
    std::vector<std::string> lines;
    size_t k = 0;
    for (const py::handle item : py::iter(hypotheses)) {
        lines.push_back(Utf8Of(item, "hypotheses[" + std::to_string(k) + "]"));
        ++k;
    }
    return lines;
}

// ---------------------------------------------------------------------------
// vantir.build

void Build(const std::filesystem::path& sourceDir, const std::filesystem::path& outputDir,
           bool sounds) {
    std::error_code error;
    if (!std::filesystem::is_directory(sourceDir, error)) {
        RaiseOsError(std::filesystem::exists(sourceDir, error) ? ENOTDIR : ENOENT, sourceDir);
    }
    tools::BuildInputs inputs;
    try {
        inputs = tools::ResolveBuildInputs(sourceDir, {});
    } catch (const tools::ToolError& failure) {
        throw py::value_error(failure.what());
    }
    RequireReadable(inputs.vocabulary);
    RequireReadable(inputs.regions);
    // Without model.arpa or corpus.txt the model is uniform, as `vantir build` makes it.
    if (inputs.arpa) RequireReadable(*inputs.arpa);
    if (inputs.corpus) RequireReadable(*inputs.corpus);
    for (const std::filesystem::path& roads : inputs.roads)
        RequireReadable(roads);
    if (sounds && std::filesystem::exists(tools::kUnihanReadingsPath)) {
        inputs.readings = tools::kUnihanReadingsPath;
    } else if (sounds) {
        Warn(PyExc_UserWarning, std::string("wrote no sounds blob: ") + tools::kUnihanReadingsPath +
                                    " not found (Debian package unicode-data)");
    }

    std::ostringstream warnings;
    std::string failure;
    bool writeFailed = false;
    int systemError = 0;  // the errno of a failure on a file, when the system gave one
    std::string failedPath;
    {
        py::gil_scoped_release unlocked;
        try {
            tools::Diagnostics diagnostics(&warnings);
            tools::Progress silent;
            const tools::BuiltData built =
                tools::BuildData(inputs, tools::ModelOptions{}, diagnostics, silent);
            diagnostics.Summarise();
            writeFailed = true;
            // As `vantir build`: the optional blobs join the set, or old ones go with the switch.
            tools::WriteFilesAtomically(tools::SetFilesOf(outputDir, built));
            writeFailed = false;
        } catch (const tools::FileError& error) {
            failure = error.what();
            systemError = error.error();
            failedPath = error.path();
            writeFailed = true;
        } catch (const tools::ToolError& error) {
            failure = error.what();
        }
    }
    std::istringstream lines(warnings.str());
    constexpr std::string_view kPrefix = "warning: ";
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(kPrefix)) line.erase(0, kPrefix.size());
        Warn(PyExc_UserWarning, line);
    }
    if (failure.empty()) return;
    if (systemError != 0) RaiseOsError(systemError, failure, failedPath);
    if (writeFailed) {
        PyErr_SetString(PyExc_OSError, failure.c_str());
        throw py::error_already_set();
    }
    RaiseValueError(failure);
}

// ---------------------------------------------------------------------------
// vantir.Filter

// The engine of a Filter object. A Filter made by Filter.__new__ alone (or a
// subclass that skipped __init__) has none; pybind11 would hand over unmade
// storage, so the holder is checked first.
FilterEngine& EngineOf(const py::handle& self) {
    auto* instance = reinterpret_cast<py::detail::instance*>(self.ptr());
    py::detail::value_and_holder made = instance->get_value_and_holder();
    if (!made.holder_constructed() || made.value_ptr() == nullptr) {
        throw py::type_error("vantir.Filter.__init__() was not called");
    }
    return *made.value_ptr<FilterEngine>();
}

std::unique_ptr<FilterEngine> OpenFilter(const std::filesystem::path& dataDir, bool accurate,
                                         bool soundAlike, bool postal) {
    for (const char* name :
         {tools::kLexiconBlobName, tools::kModelBlobName, tools::kAddressBlobName}) {
        RequireReadable(dataDir / name);
    }
    if (soundAlike && !std::filesystem::exists(dataDir / tools::kSoundsBlobName)) {
        RaiseOsError(ENOENT,
                     "sound_alike=True needs the sounds blob; build the data with "
                     "vantir.build(src_dir, out_dir, sounds=True) or 'vantir build --sounds'",
                     dataDir / tools::kSoundsBlobName);
    }
    if (postal && !std::filesystem::exists(dataDir / tools::kPostalBlobName)) {
        RaiseOsError(ENOENT,
                     "postal=True needs the postal blob; build the data from sources that hold "
                     "ranges.tsv",
                     dataDir / tools::kPostalBlobName);
    }
    const uint32_t options = (accurate ? VANTIR_OPTION_ACCURATE : 0) |
                             (soundAlike ? VANTIR_OPTION_SOUND_ALIKE : 0) |
                             (postal ? VANTIR_OPTION_POSTAL : 0);
    std::string failure;
    EngineError refused{VANTIR_OK, {}};
    std::unique_ptr<FilterEngine> engine;
    {
        py::gil_scoped_release unlocked;
        try {
            engine = std::make_unique<FilterEngine>(dataDir, options);
        } catch (const tools::ToolError& error) {
            failure = error.what();
        } catch (const EngineError& error) {
            refused = error;
        }
    }
    if (!failure.empty()) RaiseValueError(failure);
    if (refused.code != VANTIR_OK) RaiseEngineError(refused);
    return engine;
}

// A vantir.Result (python/vantir/__init__.py) of one result and its details.
py::object ResultObject(const py::handle& resultType, const ResultDetails& result) {
    py::dict fields;
    for (int32_t f = 0; f < VANTIR_FIELD_COUNT; ++f) {
        const std::u16string_view field = result.field(f);
        if (!field.empty()) fields[py::str(FieldName(f))] = py::str(ToUtf8(field));
    }
    const VantirResultInfo& info = result.info;
    // The postal standing is "unknown" without a postal blob, as the library answers.
    const char* postal = result.withPostal ? tools::PostalStatusName(result.postal.status)
                                           : tools::PostalStatusName(VANTIR_POSTAL_UNKNOWN);
    return resultType(py::str(ToUtf8(result.text)), info.confidence, info.resultClass, info.support,
                      info.firstRank, fields, py::str(result.withPostal ? result.postal.code : ""),
                      py::str(postal));
}

// Runs one of the engine's filters over the hypotheses with the GIL released,
// raises what the engine refused, warns of unknown words (a text run, segmented
// by the library, has none), and returns the ranked texts, or with `details`
// a vantir.Result for each.
using EngineRun = FilterOutcome (FilterEngine::*)(const std::vector<std::string>&, bool);

py::list RunUtterance(const py::handle& self, const py::handle& hypotheses, EngineRun run,
                      bool details) {
    FilterEngine& engine = EngineOf(self);
    const std::vector<std::string> lines = HypothesisLines(hypotheses);
    FilterOutcome outcome;
    EngineError refused{VANTIR_OK, {}};
    {
        py::gil_scoped_release unlocked;
        try {
            outcome = (engine.*run)(lines, details);
        } catch (const EngineError& error) {
            refused = error;
        }
    }
    if (refused.code != VANTIR_OK) RaiseEngineError(refused);
    WarnUnknown(outcome.unknown);
    py::list texts;
    if (details) {
        const py::object resultType = py::module_::import("vantir").attr("Result");
        for (const ResultDetails& result : outcome.details)
            texts.append(ResultObject(resultType, result));
        return texts;
    }
    for (const std::string& text : outcome.texts)
        texts.append(py::str(text));
    return texts;
}

py::list FilterUtterance(const py::handle& self, const py::handle& hypotheses, bool details) {
    return RunUtterance(self, hypotheses, &FilterEngine::Filter, details);
}

py::list FilterTextUtterance(const py::handle& self, const py::handle& hypotheses, bool details) {
    return RunUtterance(self, hypotheses, &FilterEngine::FilterText, details);
}

py::list SegmentText(const py::handle& self, const py::handle& text) {
    FilterEngine& engine = EngineOf(self);
    const std::string line = Utf8Of(text, "text");
    std::vector<std::string> words;
    EngineError refused{VANTIR_OK, {}};
    {
        py::gil_scoped_release unlocked;
        try {
            words = engine.Segment(line);
        } catch (const EngineError& error) {
            refused = error;
        }
    }
    if (refused.code != VANTIR_OK) RaiseEngineError(refused);
    py::list list;
    for (const std::string& word : words)
        list.append(py::str(word));
    return list;
}

std::string ExplainHypothesis(const py::handle& self, const py::handle& hypothesis) {
    FilterEngine& engine = EngineOf(self);
    const std::string line = Utf8Of(hypothesis, "hypothesis");
    ExplainOutcome outcome;
    {
        py::gil_scoped_release unlocked;
        outcome = engine.Explain(line);
    }
    WarnUnknown(outcome.unknown);
    return outcome.report;
}

}  // namespace

}  // namespace vantir::python

PYBIND11_MODULE(_vantir, m) {
    using namespace vantir::python;
    m.doc() = "Ranked canonical address texts from a recogniser's N-best hypotheses.";
    m.attr("__version__") = VANTIR_VERSION;

    g_unknownWordWarning = PyErr_NewExceptionWithDoc(
        "vantir.UnknownWordWarning",
        "A word of a hypothesis that the lexicon does not hold; it was left out.",
        PyExc_UserWarning, nullptr);
    if (g_unknownWordWarning == nullptr) throw py::error_already_set();
    m.attr(kUnknownWordWarning) = py::handle(g_unknownWordWarning);

    m.def("build", &Build, py::arg("src_dir"), py::arg("out_dir"), py::arg("sounds") = false,
          R"doc(Compile the sources of src_dir into out_dir.

src_dir holds vocabulary.tsv, regions.tsv, optionally road tables (roads*.tsv)
and optionally model.arpa or corpus.txt (without either, every word is equally
likely; the pairs the address grammar needs are generated in any case);
out_dir receives lexicon.wpb, model.lmb and address.addr (missing directories
are created). The three replace the old ones as a set: a failure leaves the old
set, and so does a kill before the last of them is in place (vantir.Filter and
the vantir tool then load the old set; the next build cleans up). Warnings
about the sources are issued with warnings.warn.

Raises OSError (with errno where the system gave one) when a source is
missing, a directory or unreadable or the output cannot be written, and
ValueError naming file and line when a source is malformed.)doc");

    auto filterClass =
        py::class_<FilterEngine>(m, "Filter",
                                 R"doc(Filter over a data directory built by vantir.build.

The three blobs are loaded and verified once. A Filter may be used from
several threads at once; filter() releases the GIL while the library works.)doc")
            .def(py::init(&OpenFilter), py::arg("data_dir"), py::arg("accurate") = false,
                 py::arg("sound_alike") = false, py::arg("postal") = false,
                 R"doc(Load lexicon.wpb, model.lmb and address.addr from data_dir.

accurate=True turns on the accurate mode: evidence-based completion,
candidate checks, ranking and one spelling per address.
sound_alike=True lets filter_text() and segment() read misheard characters as
the lexicon word that sounds the same; it needs sounds.snd in data_dir
(vantir.build(..., sounds=True)) and raises FileNotFoundError naming it otherwise.
postal=True lists and ranks districts by the postal ranges (postal.pst, built
from a source folder with ranges.tsv); FileNotFoundError naming it otherwise.
Results carry postcode and postal whenever the folder has postal.pst.

Raises OSError when a blob is missing or unreadable and ValueError when a
blob is malformed or the blobs do not belong together.)doc")
            .def("filter", &FilterUtterance, py::arg("hypotheses"), py::arg("details") = false,
                 R"doc(Filter one utterance: its hypotheses, best first, each a str of
words separated by blanks. Returns the ranked address texts (possibly empty);
with details=True a vantir.Result for each instead (text, confidence,
result_class, support, first_rank, fields).

Words the lexicon does not hold are left out with a vantir.UnknownWordWarning.
Raises TypeError for a non-str item and ValueError for undecodable bytes.)doc")
            .def("filter_text", &FilterTextUtterance, py::arg("hypotheses"),
                 py::arg("details") = false,
                 R"doc(Filter one utterance given as recogniser text: its hypotheses, best
first, each a str in which words are not separated ("台北市大安區忠孝東路四段123號").
The library's text intake splits each (blanks and punctuation dropped, 台/臺
and the other variants, both widths and digits read). Returns the ranked
address texts, or with details=True a vantir.Result for each. Raises TypeError for a non-str item and ValueError for
undecodable bytes.)doc")
            .def("segment", &SegmentText, py::arg("text"),
                 R"doc(The lexicon words that the text intake splits a recogniser text into,
as filter_text() enters them.)doc")
            .def("explain", &ExplainHypothesis, py::arg("hypothesis"),
                 R"doc(What the filter does with one hypothesis (words separated by
blanks), in the Filter's mode: start, head, completion, segments, dropped and
kept words, the composed text, accurate mode's region choices, and the ranked
results with their confidence, one labelled line each.)doc")
            .def(
                "_time_c_calls",
                [](const py::handle& self, const std::vector<std::vector<std::string>>& utterances,
                   int32_t rounds) {
                    FilterEngine& engine = EngineOf(self);
                    py::gil_scoped_release unlocked;
                    return engine.TimeCCalls(utterances, rounds);
                },
                py::arg("utterances"), py::arg("rounds"),
                "CPU seconds per utterance of the bare C calls; for bench/python_binding.py.")
            .def(
                "_time_filter_calls",
                [](const py::handle& self, const std::vector<std::vector<std::string>>& utterances,
                   int32_t rounds) {
                    FilterEngine& engine = EngineOf(self);
                    py::gil_scoped_release unlocked;
                    return engine.TimeFilterCalls(utterances, rounds);
                },
                py::arg("utterances"), py::arg("rounds"),
                "CPU seconds per utterance of filter() called from C++; for "
                "bench/python_binding.py.")
            .def_property_readonly(
                "accurate",
                [](const py::handle& self) {
                    return (EngineOf(self).options() & VANTIR_OPTION_ACCURATE) != 0;
                },
                "True when the filter runs in the accurate mode.")
            .def_property_readonly(
                "sound_alike",
                [](const py::handle& self) {
                    return (EngineOf(self).options() & VANTIR_OPTION_SOUND_ALIKE) != 0;
                },
                "True when text intake also reads characters by their sound.")
            .def_property_readonly(
                "postal",
                [](const py::handle& self) {
                    return (EngineOf(self).options() & VANTIR_OPTION_POSTAL) != 0;
                },
                "True when districts are listed and ranked by the postal ranges.");
    AddBatchMethods(filterClass, g_unknownWordWarning);
}
