// What a kart is told to do, and the only thing a kart reads to drive: a driver
// component (the players' keys and pads, an AI, a replay) fills it, the kart acts
// on it. The hand-over, the same for every driver:
//   - Each frame, after the input and before the fixed steps, a driver writes its
//     kart's Car::controls from Updateable::earlyUpdate: throttle and steering
//     replace the last values, and presses are OR-ed in (controls.hop |= ...).
//   - At the start of each fixed step the kart takes the controls for that step
//     (Car::stepControls) and clears the presses, so a press between two steps
//     counts exactly once, at any frame rate: no step, the press waits; several
//     steps in a frame, only the first one sees it.
//   - Holding a press (writing it again every frame) repeats it in the first
//     step of every frame; a boost only starts when it is ready, so a held
//     boost starts one as soon as it can.
// A kart with its controls off (Car::controlsEnabled) still takes and clears them.
#pragma once

// Throttle and steering act in steps of 1/controlSteps (the kart rounds them
// when it takes them), so that a byte records each exactly.
constexpr int controlSteps = 127;

struct KartControls {
    // -1 full reverse .. +1 full throttle.
    float throttle = 0;
    // -1 full left .. +1 full right.
    float steering = 0;
    bool boost = false;
    bool hop = false;
    // Back on the track beside the last checkpoint.
    bool respawn = false;
};
