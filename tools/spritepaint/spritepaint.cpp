// spritepaint: paints the pictures of the demo game from code (soft noise,
// glows and line work) and saves them as PNG files for sprmake.
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Smooth value noise on a repeating lattice, in 0..1.
double Hash(int x, int y, int seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

double ValueNoise(double x, double y, int seed)
{
    const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    const double fx = x - xi, fy = y - yi;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = Hash(xi, yi, seed), b = Hash(xi + 1, yi, seed);
    const double c = Hash(xi, yi + 1, seed), d = Hash(xi + 1, yi + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

double Fractal(double x, double y, int seed)
{
    double sum = 0, amplitude = 0.5, frequency = 1;
    for (int octave = 0; octave < 4; ++octave) {
        sum += amplitude * ValueNoise(x * frequency, y * frequency, seed + octave * 17);
        amplitude *= 0.5;
        frequency *= 2;
    }
    return sum / 0.9375;
}

double Clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

double SmoothStep(double a, double b, double v)
{
    const double t = Clamp01((v - a) / (b - a));
    return t * t * (3 - 2 * t);
}

void Put(QImage &image, int x, int y, double r, double g, double b, double a)
{
    image.setPixelColor(x, y,
                        QColor::fromRgbF(static_cast<float>(Clamp01(r)), static_cast<float>(Clamp01(g)),
                                         static_cast<float>(Clamp01(b)), static_cast<float>(Clamp01(a))));
}

QImage Blank(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

struct Rgba {
    double r, g, b, a;
};

// Paints a square picture by asking `shade` for the colour at each pixel
// centre, given in -1..1 on both axes.
template <typename Shade>
QImage Paint(int size, Shade shade)
{
    QImage image = Blank(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size * 2 - 1;
            const double v = (y + 0.5) / size * 2 - 1;
            const Rgba c = shade(u, v);
            Put(image, x, y, c.r, c.g, c.b, c.a);
        }
    return image;
}

QImage Smoke()
{
    return Paint(64, [](double u, double v) {
        const double r = std::sqrt(u * u + v * v);
        const double n = Fractal(u * 3 + 10, v * 3 + 10, 7);
        const double a = SmoothStep(1.0, 0.2, r + (n - 0.5) * 0.5) * (0.45 + 0.55 * n);
        const double grey = 0.55 + 0.35 * n;
        return Rgba{grey, grey, grey * 1.02, a * 0.9};
    });
}

QImage Fire(int frame)
{
    return Paint(64, [frame](double u, double v) {
        // A teardrop: wide and bright at the bottom, thin and flickering at the top.
        const double up = (1 - v) / 2;  // 0 at the bottom, 1 at the top
        const double n = Fractal(u * 4, v * 3 + frame * 0.8, 31);
        const double width = 0.55 * (1 - up * 0.85) + 0.12 * (n - 0.5);
        const double side = std::fabs(u + 0.15 * (n - 0.5) * up) / std::max(width, 0.05);
        const double heat = Clamp01((1 - side) * (1.1 - up * 0.9) + (n - 0.5) * 0.4);
        const double h = heat * SmoothStep(1.0, 0.7, v) * SmoothStep(-1.0, -0.5, v);
        return Rgba{1.0, 0.25 + 0.75 * h, 0.05 + 0.6 * h * h * h, SmoothStep(0.02, 0.45, h)};
    });
}

QImage Spark()
{
    return Paint(32, [](double u, double v) {
        const double r = std::sqrt(u * u + v * v);
        const double core = std::exp(-r * r * 40);
        const double glow = std::exp(-r * r * 6) * 0.45;
        const double star = std::exp(-std::fabs(u) * 18) * std::exp(-std::fabs(v) * 2.5) +
                            std::exp(-std::fabs(v) * 18) * std::exp(-std::fabs(u) * 2.5);
        const double i = Clamp01(core + glow + star * 0.7);
        return Rgba{1.0, 0.85 + 0.15 * core, 0.45 + 0.55 * core, i};
    });
}

QImage Flare()
{
    return Paint(64, [](double u, double v) {
        const double r = std::sqrt(u * u + v * v);
        const double angle = std::atan2(v, u);
        const double rays = std::pow(std::fabs(std::cos(angle * 3)), 40) * SmoothStep(1.0, 0.1, r) * 0.6;
        const double core = std::exp(-r * r * 30);
        const double glow = std::exp(-r * r * 5) * 0.6;
        const double halo = std::exp(-std::pow((r - 0.7) * 12, 2)) * 0.15;
        const double i = Clamp01(core + glow + rays + halo) * SmoothStep(1.0, 0.9, r);
        return Rgba{0.8 + 0.2 * core, 0.9 + 0.1 * core, 1.0, i};
    });
}

QImage Ring()
{
    return Paint(64, [](double u, double v) {
        const double r = std::sqrt(u * u + v * v);
        const double band = std::exp(-std::pow((r - 0.72) * 9, 2));
        const double inner = std::exp(-std::pow((r - 0.72) * 30, 2));
        return Rgba{0.55 + 0.45 * inner, 0.85 + 0.15 * inner, 1.0, Clamp01(band * 0.8 + inner * 0.4)};
    });
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double t = Clamp01(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy));
    const double ex = ax + t * dx - px, ey = ay + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

QImage Snowflake()
{
    const int size = 32;
    const int samples = 4;  // per axis, for smooth edges
    QImage image = Blank(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double cover = 0;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    const double u = (x + (sx + 0.5) / samples) / size * 2 - 1;
                    const double v = (y + (sy + 0.5) / samples) / size * 2 - 1;
                    double d = 1e9;
                    for (int arm = 0; arm < 6; ++arm) {
                        const double a = arm * kPi / 3;
                        const double cx = std::cos(a), cy = std::sin(a);
                        d = std::min(d, SegmentDistance(u, v, 0, 0, cx * 0.9, cy * 0.9));
                        for (double at : {0.45, 0.68}) {
                            const double len = at < 0.5 ? 0.25 : 0.16;
                            for (int side : {-1, 1}) {
                                const double b = a + side * kPi / 4;
                                d = std::min(d, SegmentDistance(u, v, cx * at, cy * at,
                                                                cx * at + std::cos(b) * len,
                                                                cy * at + std::sin(b) * len));
                            }
                        }
                    }
                    cover += d < 0.075 ? 1 : 0;
                }
            cover /= samples * samples;
            Put(image, x, y, 0.92, 0.96, 1.0, cover);
        }
    return image;
}

bool Save(const QImage &image, const std::string &dir, const std::string &name)
{
    const std::string path = dir + "/" + name;
    if (!image.save(QString::fromStdString(path), "PNG")) {
        std::fprintf(stderr, "spritepaint: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: spritepaint <folder>\n"
                             "Writes smoke.png, fire0.png to fire3.png, spark.png, flare.png,\n"
                             "ring.png and snowflake.png into the folder.\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = Save(Smoke(), dir, "smoke.png") && Save(Spark(), dir, "spark.png") &&
              Save(Flare(), dir, "flare.png") && Save(Ring(), dir, "ring.png") &&
              Save(Snowflake(), dir, "snowflake.png");
    for (int frame = 0; ok && frame < 4; ++frame)
        ok = Save(Fire(frame), dir, "fire" + std::to_string(frame) + ".png");
    return ok ? 0 : 1;
}
