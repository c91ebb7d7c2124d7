#pragma once
// A PlaylistTree that keeps rows as plain values and counts rebuilds, so
// tests see what the tree would show.
#include "playlist/PlaylistTree.h"

#include <string>
#include <vector>

class RecordingTree final : public PlaylistTree {
public:
    struct Row {
        std::string name;
        bool playing = false;
        uintptr_t key = 0;
        ClipProblem problem = ClipProblem::None;
    };

    void RemoveAll() override {
        rows.clear();
        ++removeAllCalls;
    }
    void AddNodes(const std::vector<std::string_view>& names) override {
        for (std::string_view name : names) rows.push_back({std::string(name), false, ++lastKey, ClipProblem::None});
        ++addCalls;
    }
    void RemoveAt(int index) override {
        if (index >= 0 && index < static_cast<int>(rows.size())) rows.erase(rows.begin() + index);
    }
    void SelectItem(int index, bool takeFocus) override {
        selected = index >= 0 && index < static_cast<int>(rows.size()) ? index : -1;
        focused = takeFocus;
    }
    void SetPlayingNode(int index, bool playing) override {
        if (index >= 0 && index < static_cast<int>(rows.size())) rows[static_cast<size_t>(index)].playing = playing;
    }
    void ShowProblem(int index, ClipProblem problem) override {
        if (index >= 0 && index < static_cast<int>(rows.size())) rows[static_cast<size_t>(index)].problem = problem;
    }
    int GetDeleteItemIndex(uintptr_t wParam) const override {
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].key == wParam) return static_cast<int>(i);
        }
        return -1;
    }

    // What a click on the row's delete button puts into the message.
    uintptr_t keyOf(int row) const { return rows.at(static_cast<size_t>(row)).key; }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const Row& r : rows) out.push_back(r.name);
        return out;
    }
    std::vector<int> playingRows() const {
        std::vector<int> out;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].playing) out.push_back(static_cast<int>(i));
        }
        return out;
    }

    std::vector<Row> rows;
    int selected = -1;
    bool focused = false;
    int removeAllCalls = 0;
    int addCalls = 0;

private:
    uintptr_t lastKey = 0;
};
