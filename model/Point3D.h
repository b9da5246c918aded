// One point of a model: its offset from the model's centre.
#pragma once

struct Point3D {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};
