// When a hydrograph's recession has ended: the first-highest peak of the series so
// far, the flow below which the series may stop once its inflow has passed, and the
// share of the inflow volume it may then still hold back.
#pragma once

namespace corv {

class RecessionStop {
public:
    // Records ordinate j of flow q; a flow strictly above every earlier one is the new
    // peak and sets the threshold: 1 cfs under a peak above 10 cfs, 0.01 cfs under a
    // smaller one (none before any peak). True when q is the new peak.
    bool record(long j, float q)
    {
        if (!(q > peak_)) return false;
        peak_ = q;
        peakAt_ = j;
        threshold_ = q > 10.0f ? 1.0f : 0.01f;
        return true;
    }
    // True at an ordinate at or after the last inflow ordinate whose flow is below the threshold.
    bool endsAt(long j, long lastInflow, float q) const { return j >= lastInflow && q < threshold_; }
    // endsAt, and what is still stored (to flow out after ordinate j) is at most 1 % of
    // the inflow volume: a small flood drains slowly below 1 cfs, and cutting it there
    // alone lost several per cent of its water. Both volumes in the same units.
    bool drainedAt(long j, long lastInflow, float q, double stored, double inflowVolume) const
    {
        return endsAt(j, lastInflow, q) && !holdsBack(stored, inflowVolume);
    }
    // True when stopping with stored still to flow out would lose over 1 % of the inflow volume.
    static bool holdsBack(double stored, double inflowVolume) { return stored > 0.01 * inflowVolume; }

    float peak() const { return peak_; }
    long peakAt() const { return peakAt_; }
    float threshold() const { return threshold_; }

private:
    float peak_ = 0;
    long peakAt_ = 0;
    float threshold_ = 0;
};

}  // namespace corv
