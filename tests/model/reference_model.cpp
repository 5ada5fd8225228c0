#include "reference_model.h"

#include <algorithm>
#include <cmath>

#include "special/hypergeometric.h"

namespace quarvel::reference {

namespace {

class Reference {
 public:
  Reference(const ModelParameters& p, bool modified, double mass, const std::vector<double>& x,
            int n, double dt)
      : p_(p), modified_(modified), m_(mass), x_(x), n_(n), dt_(dt) {
    k_ = p.alpha * p.Fy / p.Uy;
    q_ = (1.0 - p.alpha) * p.Fy;
    for (auto* v : {&r_.T, &r_.U, &r_.U_DOT, &r_.U_DOT_DOT, &r_.F, &r_.Z, &r_.Fh}) {
      v->assign(static_cast<std::size_t>(n) + 1, 0.0);
    }
  }

  Response Run(double u0, double v0, double z0) {
    double y[3] = {u0, v0, z0};
    r_.U[1] = u0;
    r_.U_DOT[1] = v0;
    r_.Z[1] = z0;
    Complete(1);
    for (int i = 1; i <= n_ - 1; i++) {
      r_.T[i + 1] = i * dt_;
      Interval(y, r_.T[i]);
      r_.U[i + 1] = y[0];
      r_.U_DOT[i + 1] = y[1];
      r_.Z[i + 1] = y[2];
      if (modified_) Lists(i);
      Complete(i + 1);
    }
    return r_;
  }

 private:
  double X(double t) {
    const long k = static_cast<long>(std::trunc(t / dt_)) + 1;
    if (k >= n_) return x_[n_];
    return x_[k] + (t - (k - 1) * dt_) / dt_ * (x_[k + 1] - x_[k]);
  }

  double C(double z) {
    double c = 0.0;
    HypergeometricF(1.0, 1.0 / p_.n, 1.0 + 1.0 / p_.n, (p_.beta - p_.gamma) * std::pow(std::fabs(z), p_.n), c);
    return c;
  }

  double W(double u, double ud, double z) {
    const bool plus = z >= 0 && ud > 0;
    if (!plus && !(z <= 0 && ud < 0)) return 0;
    const std::vector<int>& list = plus ? maxList_ : minList_;
    double w = 0;
    for (std::size_t k = 0; k < list.size(); k++) {
      const double ur = r_.U[list[k]];
      const double zr = r_.Z[list[k]];
      double wk = 0;
      if (plus ? z <= zr : z >= zr) {
        const double us = p_.gamma == 0.5 ? ur + p_.Uy * (z - zr)
                                          : ur + p_.Uy * (z * C(z) - zr * C(zr));
        wk = std::pow(std::clamp((ur - us) / (ur - u), 0.0, 1.0), p_.P);
      }
      if (k == 0 || wk > w) w = wk;
    }
    return w > 1 ? 1 : w;
  }

  void Rate(double t, const double* y, double* dy) {
    dy[0] = y[1];
    dy[1] = -(1 / m_) * (q_ * y[2] + p_.c * y[1] + k_ * y[0] - X(t));
    const double s = ((y[1] >= 0 && y[2] >= 0) || (y[1] < 0 && y[2] < 0)) ? 1 : -1;
    if (!modified_) {
      dy[2] = (p_.A - (p_.gamma * s + p_.beta) * std::pow(std::fabs(y[2]), p_.n)) * y[1] / p_.Uy;
      return;
    }
    const double w = W(y[0], y[1], y[2]);
    if (w > 0) r_.positiveWeights++;
    const double step = y[2] * y[1] > 0 ? 1 : 0;
    dy[2] = (p_.A - ((s - 2 * step * w) * p_.gamma + p_.beta) * std::pow(std::fabs(y[2]), p_.n)) *
            y[1] / p_.Uy;
  }

  void Rk4(double* y, const double* k1, double t, double h) {
    const double a = h / 2;
    const double b = h / 6;
    double yt[3], k2[3], k3[3], k4[3];
    for (int c = 0; c < 3; c++) yt[c] = y[c] + a * k1[c];
    Rate(t + a, yt, k2);
    for (int c = 0; c < 3; c++) yt[c] = y[c] + a * k2[c];
    Rate(t + a, yt, k3);
    for (int c = 0; c < 3; c++) yt[c] = y[c] + h * k3[c];
    Rate(t + h, yt, k4);
    for (int c = 0; c < 3; c++) y[c] = y[c] + b * (k1[c] + 2 * (k2[c] + k3[c]) + k4[c]);
  }

  // m Runge-Kutta steps of h from y into yt.
  void Trial(const double* y, double* yt, double t0, int m, double h) {
    std::copy(y, y + 3, yt);
    for (int j = 0; j <= m - 1; j++) {
      double k1[3];
      Rate(t0 + j * h, yt, k1);
      Rk4(yt, k1, t0 + j * h, h);
    }
  }

  void Interval(double* y, double t0) {
    double yt[3];
    int m = 1;
    Trial(y, yt, t0, m, dt_);
    double previous = yt[0];
    while (m <= p_.eulerSteps) {
      m = 2 * m;
      Trial(y, yt, t0, m, dt_ / m);
      if (std::fabs(yt[0] - previous) <= p_.eps) break;
      previous = yt[0];
    }
    std::copy(yt, yt + 3, y);
  }

  void Lists(int i) {
    const std::vector<double>& U = r_.U;
    const std::vector<double>& Z = r_.Z;
    if (U[i - 1] < U[i] && U[i + 1] < U[i] && Z[i] > 0) {
      maxList_.push_back(i);
    } else if (U[i - 1] > U[i] && U[i + 1] > U[i] && Z[i] < 0) {
      minList_.push_back(i);
    }
    const double zn = Z[i + 1];
    std::erase_if(maxList_, [&](int j) { return !(-Z[j] < zn - 0.001 && zn - 0.001 < Z[j]); });
    std::erase_if(minList_, [&](int j) { return !(Z[j] < zn + 0.001 && zn + 0.001 < -Z[j]); });
  }

  void Complete(int i) {
    r_.F[i] = k_ * r_.U[i] + q_ * r_.Z[i];
    r_.U_DOT_DOT[i] = (X(r_.T[i]) - r_.F[i] - p_.c * r_.U_DOT[i]) / m_;
    r_.Fh[i] = q_ * r_.Z[i];
  }

  const ModelParameters& p_;
  bool modified_;
  double m_;
  const std::vector<double>& x_;
  int n_;
  double dt_;
  double k_ = 0;
  double q_ = 0;
  Response r_;
  std::vector<int> maxList_, minList_;
};

}  // namespace

Response RungeKuttaStepDoublingAllReversals(const ModelParameters& p, bool modified,
                                            double mass, const std::vector<double>& force,
                                            int n, double dt, double u0, double v0, double z0) {
  return Reference(p, modified, mass, force, n, dt).Run(u0, v0, z0);
}

}  // namespace quarvel::reference
