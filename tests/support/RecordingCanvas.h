// A Canvas that records every call, for checking what was drawn and in which order.
#pragma once

#include "Canvas.h"

#include <cstdint>
#include <string>
#include <vector>

struct CanvasCall {
    enum class Kind { ForeColor, Line, Cls };
    Kind kind;
    uint32_t colour = 0; // ForeColor
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

class RecordingCanvas : public Canvas {
public:
    explicit RecordingCanvas(int width = 453, int height = 341) : width_(width), height_(height) {}

    void ForeColor(uint32_t colour) override {
        calls.push_back({CanvasCall::Kind::ForeColor, colour, 0, 0, 0, 0});
    }
    void Line(float x1, float y1, float x2, float y2) override {
        calls.push_back({CanvasCall::Kind::Line, 0, x1, y1, x2, y2});
    }
    void Cls() override { calls.push_back({CanvasCall::Kind::Cls, 0, 0, 0, 0, 0}); }
    int ScaleWidth() const override { return width_; }
    int ScaleHeight() const override { return height_; }

    // The segments drawn, each with the colour in force when it was drawn.
    struct Segment {
        uint32_t colour;
        float x1, y1, x2, y2;
    };
    std::vector<Segment> segments() const {
        std::vector<Segment> out;
        uint32_t colour = 0;
        for (const auto& call : calls) {
            if (call.kind == CanvasCall::Kind::ForeColor) {
                colour = call.colour;
            } else if (call.kind == CanvasCall::Kind::Line) {
                out.push_back({colour, call.x1, call.y1, call.x2, call.y2});
            }
        }
        return out;
    }

    std::vector<CanvasCall> calls;

private:
    int width_;
    int height_;
};
