// The benchmarks' input: uniform noise in [-0.5, 0.5), the same every run.
#pragma once

#include <random>
#include <vector>

inline std::vector<double> BenchmarkNoise(size_t n)
{
    std::mt19937 generator(42);
    std::uniform_real_distribution<double> distribution(-0.5, 0.5);
    std::vector<double> rg(n);
    for (double& d : rg)
        d = distribution(generator);
    return rg;
}
