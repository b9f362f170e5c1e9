#pragma once
// A small Value Change Dump reader written from the format's description, not from the
// writer: the tests read the virtual port's dumps the way a waveform viewer would.

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tessary::testing {

struct VcdChange {
    std::uint64_t time;
    std::string signal;  // "scope.name"
    int value;
};

struct VcdDump {
    std::string timescale;
    std::vector<std::string> signals;  // in declaration order
    std::map<std::string, int> initial;
    std::vector<VcdChange> changes;  // in file order
    std::vector<std::uint64_t> stamps;
    std::vector<std::string> comments;
    std::string error;  // empty when the file parsed

    // The signal's level just after time t.
    int ValueAt(const std::string& signal, std::uint64_t t) const {
        int v = initial.count(signal) ? initial.at(signal) : -1;
        for (const auto& c : changes) {
            if (c.time > t) break;
            if (c.signal == signal) v = c.value;
        }
        return v;
    }
};

inline VcdDump ReadVcd(const std::string& path) {
    VcdDump dump;
    std::ifstream in(path);
    if (!in) {
        dump.error = "cannot open " + path;
        return dump;
    }
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    std::map<std::string, std::string> byId;
    std::vector<std::string> scopes;
    std::size_t i = 0;
    auto untilEnd = [&](std::vector<std::string>& out) {
        while (i < words.size() && words[i] != "$end") out.push_back(words[i++]);
        if (i == words.size()) dump.error = "a section without $end";
        ++i;
    };
    bool definitions = true, dumpvars = false;
    std::uint64_t time = 0;
    while (i < words.size() && dump.error.empty()) {
        const std::string w = words[i++];
        std::vector<std::string> body;
        if (w == "$timescale") {
            untilEnd(body);
            for (const auto& b : body) dump.timescale += b;
        } else if (w == "$scope") {
            untilEnd(body);
            if (body.size() != 2) dump.error = "bad $scope";
            else scopes.push_back(body[1]);
        } else if (w == "$upscope") {
            untilEnd(body);
            if (scopes.empty()) dump.error = "$upscope without $scope";
            else scopes.pop_back();
        } else if (w == "$var") {
            untilEnd(body);
            if (body.size() != 4 || body[1] != "1") {
                dump.error = "only 1-bit wires expected";
            } else {
                std::string name;
                for (const auto& s : scopes) name += s + ".";
                name += body[3];
                byId[body[2]] = name;
                dump.signals.push_back(name);
            }
        } else if (w == "$enddefinitions") {
            untilEnd(body);
            definitions = false;
        } else if (w == "$comment" || w == "$version" || w == "$date") {
            untilEnd(body);
            std::string text;
            for (const auto& b : body) text += (text.empty() ? "" : " ") + b;
            if (w == "$comment") dump.comments.push_back(text);
        } else if (w == "$dumpvars") {
            dumpvars = true;
        } else if (w == "$end" && dumpvars) {
            dumpvars = false;
        } else if (definitions) {
            dump.error = "unexpected '" + w + "' among the definitions";
        } else if (w[0] == '#') {
            const std::uint64_t t = std::stoull(w.substr(1));
            if (!dump.stamps.empty() && t < time) dump.error = "time goes backwards at " + w;
            time = t;
            dump.stamps.push_back(t);
        } else if ((w[0] == '0' || w[0] == '1') && w.size() > 1) {
            const auto it = byId.find(w.substr(1));
            if (it == byId.end()) {
                dump.error = "change of an undeclared wire: " + w;
            } else if (dumpvars) {
                dump.initial[it->second] = w[0] - '0';
            } else {
                dump.changes.push_back({time, it->second, w[0] - '0'});
            }
        } else {
            dump.error = "unexpected '" + w + "'";
        }
    }
    return dump;
}

}  // namespace tessary::testing
