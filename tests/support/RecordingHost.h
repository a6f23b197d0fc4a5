// The tests' host: a callback object and a host-ignore gate that answer the
// plug-in as a test sets them up and write down every call they get, in
// order, in one list (the gate's calls included), so a test can check what
// was asked and when.
//
// It compiles against the host-facing header alone, as a real host does.
// Calls come from the thread that runs the plug-in; only the fixed stop
// answer may be changed from another thread (a server handler, say) while
// the plug-in runs.
#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "plugin/BasicTagsDllInterface.h"

namespace testsupport {

// A gate that notes "enter <host> <count>" and "leave <host>" in events.
class RecordingGate : public CHostIgnoreInterface {
public:
    explicit RecordingGate(std::vector<std::wstring>& events) : m_events(events) {}

    // Notes the entry.
    int EnterHost(const wchar_t* host, int count) override {
        m_events.push_back(L"enter " + Name(host) + L" " + std::to_wstring(count));
        return 0;
    }
    // Notes the leaving.
    int LeaveHost(const wchar_t* host) override {
        m_events.push_back(L"leave " + Name(host));
        return 0;
    }

private:
    static std::wstring Name(const wchar_t* host) { return host ? host : L"(null)"; }

    std::vector<std::wstring>& m_events;
};

// How the host answers GetValue("HostIgnore").
enum class GateAnswer {
    NotSupplied,       // 0, nothing stored
    Supplied,          // 1 and the gate
    SuppliedNull,      // 1 and a null gate
    RefusedButStored,  // 0, yet the gate stored
};

// The host. Answers "HttpProxy" with proxy when it is not empty,
// "MaxMatchDifference" with maxDifference when set, "HostIgnore" as gateAnswer
// says, and no other name. Notes in events "value <name>" for each GetValue,
// "stop? yes" or "stop? no" for each stop question, "signal" for each Signal,
// and the gate's calls.
class RecordingHost : public CBasicTagsHostInterface {
public:
    RecordingHost() = default;
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // Answers name as configured and notes the question.
    int GetValue(const CString& name, void* value) override {
        events.push_back(L"value " + name.str());
        if (name == L"HttpProxy" && !proxy.IsEmpty()) {
            *static_cast<CString*>(value) = proxy;
            return 1;
        }
        if (name == L"MaxMatchDifference" && maxDifference) {
            *static_cast<float*>(value) = *maxDifference;
            return 1;
        }
        if (name == L"HostIgnore") return AnswerGate(*static_cast<CHostIgnoreInterface**>(value));
        return 0;
    }
    // Notes the signal.
    void Signal() override { events.push_back(L"signal"); }
    // Answers stopWhen(question number) when set, else stop; notes the answer.
    bool IsStopRequested() override {
        ++m_stopQuestions;
        const bool answer = stopWhen ? stopWhen(m_stopQuestions) : stop.load();
        events.push_back(answer ? L"stop? yes" : L"stop? no");
        return answer;
    }

    // How many stop questions came since construction or the last Forget().
    int StopQuestions() const { return m_stopQuestions; }
    // How many times GetValue was asked for name.
    int TimesAsked(const std::wstring& name) const { return Count(L"value " + name); }
    // How many signals came.
    int Signals() const { return Count(L"signal"); }
    // The names GetValue was asked for, in order.
    std::vector<std::wstring> ValuesAsked() const {
        std::vector<std::wstring> names;
        for (const std::wstring& event : events)
            if (event.rfind(L"value ", 0) == 0) names.push_back(event.substr(6));
        return names;
    }
    // The gate's calls, in order.
    std::vector<std::wstring> GateCalls() const {
        std::vector<std::wstring> calls;
        for (const std::wstring& event : events)
            if (event.rfind(L"enter ", 0) == 0 || event.rfind(L"leave ", 0) == 0) calls.push_back(event);
        return calls;
    }
    // Clears the record and the stop question count; the answers stay.
    void Forget() {
        events.clear();
        m_stopQuestions = 0;
    }

    CString proxy;                       // "HttpProxy"; not answered when empty
    std::optional<float> maxDifference;  // "MaxMatchDifference"; not answered when unset
    GateAnswer gateAnswer = GateAnswer::NotSupplied;
    std::atomic<bool> stop{false};               // the stop answer while stopWhen is unset
    std::function<bool(int question)> stopWhen;  // the answer to the question-th stop question (from 1)
    std::vector<std::wstring> events;            // every call, in order

private:
    int AnswerGate(CHostIgnoreInterface*& out) {
        switch (gateAnswer) {
            case GateAnswer::NotSupplied: return 0;
            case GateAnswer::Supplied: out = &m_gate; return 1;
            case GateAnswer::SuppliedNull: out = nullptr; return 1;
            case GateAnswer::RefusedButStored: out = &m_gate; return 0;
        }
        return 0;
    }
    int Count(const std::wstring& event) const {
        return static_cast<int>(std::count(events.begin(), events.end(), event));
    }

    int m_stopQuestions = 0;
    RecordingGate m_gate{events};
};

}  // namespace testsupport
