// Filter.filter_many: the hypotheses of many utterances copied into one block
// while the GIL is held, filtered one after the other with the GIL released
// through the tooling's batch filter (the lexicon's look-up index, buffers kept
// between utterances), and turned into Python lists once it is held again.
// Filter.__reduce__: a Filter pickles as its data folder and options.
#include "python/src/batch.h"

#include <string>
#include <string_view>
#include <vector>

#include "tools/run/batch_filter.h"

namespace py = pybind11;

namespace vantir::python {

namespace {}  // namespace

std::string_view HypothesisText(std::string_view utf8) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (utf8.starts_with(kByteOrderMark)) utf8.remove_prefix(kByteOrderMark.size());
    if (utf8.ends_with('\n')) utf8.remove_suffix(1);
    if (utf8.ends_with('\r')) utf8.remove_suffix(1);
    return utf8;
}

namespace {

// The engine of a Filter object; a Filter made by Filter.__new__ alone has none.
FilterEngine& BatchEngineOf(const py::handle& self) {
    auto* instance = reinterpret_cast<py::detail::instance*>(self.ptr());
    py::detail::value_and_holder made = instance->get_value_and_holder();
    if (!made.holder_constructed() || made.value_ptr() == nullptr) {
        throw py::type_error("vantir.Filter.__init__() was not called");
    }
    return *made.value_ptr<FilterEngine>();
}

std::string CodeText(int32_t code) {
    return " (code " + std::to_string(code) + ": " + Vantir_ErrorMessage(code) + ")";
}

// The hypotheses of every utterance in one block of UTF-8, each a span of it.
struct Hypotheses {
    std::string bytes;
    std::vector<size_t> ends;    // per hypothesis, its end in bytes
    std::vector<size_t> lastOf;  // per utterance, the end of its hypotheses in `ends`
    std::vector<tools::HypothesisSpan> spans;

    // The spans, made once `bytes` no longer moves.
    void Seal() {
        spans.reserve(ends.size());
        size_t begin = 0;
        size_t u = 0;
        for (size_t h = 0; h < ends.size(); ++h) {
            while (lastOf[u] <= h)
                ++u;
            const size_t first = u == 0 ? 0 : lastOf[u - 1];
            const auto rank = static_cast<int32_t>(h - first + 1);
            spans.push_back({std::string_view(bytes).substr(begin, ends[h] - begin), rank, rank});
            begin = ends[h];
        }
    }
    std::span<const tools::HypothesisSpan> Of(size_t u) const {
        const size_t first = u == 0 ? 0 : lastOf[u - 1];
        return {spans.data() + first, lastOf[u] - first};
    }
    size_t size() const { return lastOf.size(); }
};

// The UTF-8 of a str, or of bytes that decode (as filter() takes them).
void AppendUtf8Of(const py::handle& item, size_t u, size_t h, std::string& bytes) {
    const auto where = [&] {
        return "utterances[" + std::to_string(u) + "][" + std::to_string(h) + "]";
    };
    if (PyUnicode_Check(item.ptr())) {
        Py_ssize_t size = 0;
        const char* utf8 = PyUnicode_AsUTF8AndSize(item.ptr(), &size);
        if (utf8 == nullptr) {
            PyErr_Clear();
            throw py::value_error(where() + ": not encodable as UTF-8 (lone surrogate)");
        }
        bytes.append(HypothesisText(std::string_view(utf8, static_cast<size_t>(size))));
        return;
    }
    if (PyBytes_Check(item.ptr())) {
        const std::string_view raw(PyBytes_AS_STRING(item.ptr()),
                                   static_cast<size_t>(PyBytes_GET_SIZE(item.ptr())));
        const Expected<std::u16string> decoded = ToUtf16(raw);
        if (!decoded) throw py::value_error(where() + ": " + decoded.error().message);
        bytes.append(HypothesisText(raw));
        return;
    }
    throw py::type_error(where() + " must be str, not " +
                         std::string(py::str(py::type::handle_of(item).attr("__name__"))));
}

Hypotheses ReadUtterances(const py::handle& utterances) {
    if (PyUnicode_Check(utterances.ptr()) || PyBytes_Check(utterances.ptr())) {
        throw py::type_error("utterances must be a list of lists of str, not a single str");
    }
    Hypotheses read;
    size_t u = 0;
    for (const py::handle utterance : py::iter(utterances)) {
        if (PyUnicode_Check(utterance.ptr()) || PyBytes_Check(utterance.ptr())) {
            throw py::type_error("utterances[" + std::to_string(u) +
                                 "] must be a list of str, one hypothesis each, not a single str");
        }
        if (!py::isinstance<py::iterable>(utterance)) {
            throw py::type_error(
                "utterances[" + std::to_string(u) +
                "] must be a list of str, one hypothesis each, not " +
                std::string(py::str(py::type::handle_of(utterance).attr("__name__"))));
        }
        size_t h = 0;
        for (const py::handle item : py::iter(utterance)) {
            AppendUtf8Of(item, u, h++, read.bytes);
            read.ends.push_back(read.bytes.size());
        }
        read.lastOf.push_back(read.ends.size());
        ++u;
    }
    read.Seal();
    return read;
}

// What filter_many keeps of each utterance until it holds the GIL again, and
// the Python value made from it: the one place that turns a run into what
// filter() returns for it.
class Outcomes {
  public:
    // Keeps the run's results and unknown words; false, with the message,
    // when filter() would raise for the utterance instead.
    bool Keep(size_t u, const tools::FilteredUtterance& run) {
        for (size_t h = 0; h < run.hypotheses.size(); ++h) {
            const int32_t code = run.hypotheses[h].code;
            // A full table is no fault of the input: the best texts are already in it.
            if (code < 0 && code != VANTIR_RESULT_TABLE_FULL) {
                return Refuse(u, code,
                              "hypotheses[" + std::to_string(h) + "]: the filter refused it" +
                                  CodeText(code));
            }
        }
        if (run.resultCode < 0) {
            return Refuse(u, run.resultCode,
                          "the results could not be listed" + CodeText(run.resultCode));
        }
        for (size_t r = 0; r < run.results.size(); ++r)
            texts_.push_back(run.results[r]);
        for (const std::string_view word : run.unknown)
            unknown_.push_back(word);
        textsEnd_.push_back(texts_.size());
        unknownEnd_.push_back(unknown_.size());
        return true;
    }

    size_t kept() const { return textsEnd_.size(); }

    // Utterance u's value, as filter() returns it: its ranked texts.
    py::list ValueOf(size_t u) const {
        py::list texts;
        for (size_t r = u == 0 ? 0 : textsEnd_[u - 1]; r < textsEnd_[u]; ++r) {
            const std::string_view text = texts_[r];
            texts.append(py::str(text.data(), text.size()));
        }
        return texts;
    }

    // The words utterance u left out, in input order.
    std::vector<std::string_view> UnknownOf(size_t u) const {
        std::vector<std::string_view> words;
        for (size_t w = u == 0 ? 0 : unknownEnd_[u - 1]; w < unknownEnd_[u]; ++w)
            words.push_back(unknown_[w]);
        return words;
    }

    int32_t refusedCode() const { return refusedCode_; }
    const std::string& refusal() const { return refusal_; }

  private:
    bool Refuse(size_t u, int32_t code, const std::string& what) {
        refusedCode_ = code;
        refusal_ = "utterances[" + std::to_string(u) + "]: " + what;
        return false;
    }

    tools::TextList texts_;
    std::vector<size_t> textsEnd_;
    std::vector<std::string_view> unknown_;  // views of the Hypotheses' bytes
    std::vector<size_t> unknownEnd_;
    int32_t refusedCode_ = VANTIR_OK;
    std::string refusal_;
};

py::list FilterMany(const py::handle& self, const py::handle& utterances, bool text, bool details,
                    const py::handle& unknownWordWarning) {
    FilterEngine& engine = BatchEngineOf(self);
    if (details) {
        // The details are Python objects made per result: each utterance goes
        // through filter() (filter_text()) with the GIL held.
        py::list values;
        const py::object one = self.attr(text ? "filter_text" : "filter");
        size_t u = 0;
        for (const py::handle utterance : utterances) {
            try {
                values.append(one(utterance, py::arg("details") = true));
            } catch (py::error_already_set& error) {
                // The same exception, its message naming the utterance.
                if (!error.matches(PyExc_TypeError) && !error.matches(PyExc_ValueError)) throw;
                const std::string message =
                    "utterances[" + std::to_string(u) + "]: " + std::string(py::str(error.value()));
                py::raise_from(error, error.type().ptr(), message.c_str());
                throw py::error_already_set();
            }
            ++u;
        }
        return values;
    }
    const Hypotheses hypotheses = ReadUtterances(utterances);
    tools::FilterSettings settings;
    settings.text = text;
    settings.maxResults = Session::kAllResults;
    settings.textAsGiven = true;
    settings.splitRefusedTexts = false;
    Outcomes outcomes;
    std::string failure;
    {
        py::gil_scoped_release unlocked;
        try {
            engine.WithSession([&](Session& session) {
                tools::UtteranceFilter filter(session, engine.lexicon(), settings);
                tools::FilteredUtterance run;
                for (size_t u = 0; u < hypotheses.size(); ++u) {
                    try {
                        filter.Run(hypotheses.Of(u), run);
                    } catch (const tools::ToolError& error) {
                        // "line N" of the run is the hypothesis's rank, from 1.
                        throw tools::ToolError("utterances[" + std::to_string(u) +
                                               "]: " + error.what());
                    }
                    if (!outcomes.Keep(u, run)) break;
                }
                return 0;
            });
        } catch (const tools::ToolError& error) {
            failure = error.what();
        }
    }
    if (!failure.empty()) throw py::value_error(failure);
    py::list values;
    for (size_t u = 0; u < outcomes.kept(); ++u) {
        for (const std::string_view word : outcomes.UnknownOf(u)) {
            const std::string message =
                "unknown word " + tools::Shown(word) + " left out of the hypothesis";
            if (PyErr_WarnEx(unknownWordWarning.ptr(), message.c_str(), 1) < 0) {
                throw py::error_already_set();
            }
        }
        values.append(outcomes.ValueOf(u));
    }
    if (outcomes.refusedCode() == VANTIR_OUT_OF_MEMORY) throw std::bad_alloc();
    if (outcomes.refusedCode() != VANTIR_OK) throw py::value_error(outcomes.refusal());
    return values;
}

}  // namespace

void AddBatchMethods(py::class_<FilterEngine>& filter, py::handle unknownWordWarning) {
    filter.def(
        "filter_many",
        [unknownWordWarning](const py::handle& self, const py::handle& utterances, bool text,
                             bool details) {
            return FilterMany(self, utterances, text, details, unknownWordWarning);
        },
        py::arg("utterances"), py::arg("text") = false, py::arg("details") = false,
        R"doc(Filter many utterances in one call: `utterances` is a list of
utterances, each a list of hypotheses, best first, as filter() takes them (or
as filter_text() takes them, with text=True). Returns one list of ranked texts
per utterance, in order, each what filter() (filter_text()) returns for it;
unknown words are warned of as filter() does. The GIL is released while the
library works. Raises what filter() raises for the first utterance it refuses,
the message naming the utterance. With details=True each list holds
vantir.Result objects, made through filter(..., details=True) per utterance.)doc");
    filter.def(
        "__reduce__",
        [](const py::handle& self) {
            const FilterEngine& engine = BatchEngineOf(self);
            const bool accurate = (engine.options() & VANTIR_OPTION_ACCURATE) != 0;
            const bool soundAlike = (engine.options() & VANTIR_OPTION_SOUND_ALIKE) != 0;
            const bool postal = (engine.options() & VANTIR_OPTION_POSTAL) != 0;
            return py::make_tuple(
                py::type::of(self),
                py::make_tuple(py::str(engine.dataDir().string()), accurate, soundAlike, postal));
        },
        R"doc(A Filter pickles as its data folder (absolute) and options: the
restored Filter opens and verifies the folder's blobs again where it is
unpickled, so the folder must be there too.)doc");
}

}  // namespace vantir::python
