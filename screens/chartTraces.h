#pragma once

// The traces of the chart recorder, in curve order; also ChartRecorder::RadioData, named
// here so that the chart page can pass them on without the plot library.
struct ChartTraces
{
    enum RadioData
    {
        eRadio2nd = 0,
        eRadio3rd = 1,
        eRadioPower = 2,
    };
};
