#pragma once
// Band arrays, the sheet matrix and the argument matrix, all 1-based as the
// engine addresses them, and the band value markers.
#include <array>
#include <cstddef>
#include <vector>

constexpr double kNoValue = -999;    // shown "."
constexpr double kMarked = -998;     // shown "X"
constexpr double kErrorValue = -997; // shown "#ERR"

inline bool isMarker(double v) {
    return v == kNoValue || v == kMarked || v == kErrorValue;
}

constexpr int kMaxBands = 30;

// One spectrum's bands 1..30 (element 0 unused). A fresh array holds zeros:
// an empty element counts as 0 and equals no marker.
struct BandArray {
    std::array<double, kMaxBands + 1> v;

    BandArray() : v{} {}
    // A scratch array left unset, for a caller that writes every band it
    // reads: the evaluator keeps one per operator it splits at.
    struct Unset {};
    explicit BandArray(Unset) {}

    double& operator()(int j) { return v[static_cast<size_t>(j)]; }
    double operator()(int j) const { return v[static_cast<size_t>(j)]; }
    double& operator[](int j) { return v[static_cast<size_t>(j)]; }
    double operator[](int j) const { return v[static_cast<size_t>(j)]; }
};

// Element (n, j): band j of the spectrum at position n.
class SheetMatrix {
public:
    SheetMatrix() = default;
    SheetMatrix(int records, int bands) { resize(records, bands); }
    void resize(int records, int bands) {
        records_ = records;
        bands_ = bands;
        data_.assign(static_cast<size_t>(records + 1) * (bands + 1), 0.0);
    }
    int records() const { return records_; }
    int bands() const { return bands_; }
    double& operator()(int n, int j) { return data_[index(n, j)]; }
    double operator()(int n, int j) const { return data_[index(n, j)]; }

private:
    size_t index(int n, int j) const {
        return static_cast<size_t>(n) * (bands_ + 1) + static_cast<size_t>(j);
    }
    int records_ = 0;
    int bands_ = 0;
    std::vector<double> data_;
};

// Element (j, a): band j of argument a of one function call. Grows by one
// column per argument.
class ArgMatrix {
public:
    int count() const { return static_cast<int>(cols_.size()); }
    // Appends an argument column and returns it.
    BandArray& addColumn() {
        cols_.emplace_back();
        return cols_.back();
    }
    double operator()(int j, int a) const { return cols_[static_cast<size_t>(a - 1)][j]; }
    double& operator()(int j, int a) { return cols_[static_cast<size_t>(a - 1)][j]; }
    const BandArray& column(int a) const { return cols_[static_cast<size_t>(a - 1)]; }
    BandArray& column(int a) { return cols_[static_cast<size_t>(a - 1)]; }

private:
    std::vector<BandArray> cols_;
};
