// Light baking: texels found by rasterising each piece's unwrap, then lit by
// rays through one triangle tree of every piece and occluder. Rows are
// handed to the threads one at a time; each texel draws its random numbers
// from its own seed, so the order in which threads finish changes nothing.
#include "cLightBaker.h"

#include "cRandom.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <stdexcept>
#include <thread>

namespace {

constexpr float kTau = 6.28318530717958647692f;

// Two unit vectors at right angles to n and to each other.
void frame_of(const vec3 &n, vec3 &s, vec3 &t) {
  s = any_perpendicular(n);
  t = cross(n, s);
}

} // namespace

cLightBaker::cLightBaker(const sBakeSettings &settings) : settings_(settings) {}

size_t cLightBaker::add_piece(const cMesh &mesh) {
  if (!mesh.has_normals() || !mesh.has_uvs())
    throw std::runtime_error("a baked piece needs normals and texture coordinates");
  pieces_.push_back(mesh);
  add_to_tree(mesh);
  return pieces_.size() - 1;
}

void cLightBaker::add_occluder(const cMesh &mesh) { add_to_tree(mesh); }

void cLightBaker::add_light(const sBakeLight &light) { lights_.push_back(light); }

void cLightBaker::add_to_tree(const cMesh &mesh) {
  const uint32_t base = uint32_t(tree_.vertices.size());
  for (const vec3 &p : mesh.positions)
    tree_.vertices.push_back({p.x, p.y, p.z});
  for (const sTriangle &t : mesh.triangles)
    tree_.triangles.push_back({base + t.v[0], base + t.v[1], base + t.v[2]});
  tree_.built = false;
}

bool cLightBaker::clear(const vec3 &from, const vec3 &dir, float distance) const {
  const float origin[3] = {from.x, from.y, from.z}, direction[3] = {dir.x, dir.y, dir.z};
  float t = FLT_MAX, hit[3], reflected[3];
  tree_.root->intersect(origin, direction, t, hit, reflected);
  return !(t < distance);
}

vec3 cLightBaker::light_at(const sBakeTexel &texel, uint64_t texel_seed, uint64_t &rays) const {
  cRandom random(texel_seed);
  const vec3 n = texel.normal;
  const vec3 from = texel.position + n * settings_.surface_offset;
  vec3 sum;
  for (const sBakeLight &light : lights_) {
    const vec3 to_light = light.position - texel.position;
    const float r2 = dot(to_light, to_light);
    const float facing = dot(n, to_light);
    if (!(r2 > 0) || facing <= 0)
      continue;
    const float r = std::sqrt(r2);
    // cos / r^2 for the light's centre; shadows from samples over its disc.
    const float irradiance = facing / (r2 * r);
    const int samples = light.radius > 0 ? std::max(settings_.shadow_samples, 1) : 1;
    vec3 s, t;
    frame_of(to_light / r, s, t);
    int lit = 0;
    for (int k = 0; k < samples; ++k) {
      vec3 target = light.position;
      if (light.radius > 0) {
        const float a = kTau * (float(k) + random.unit()) / float(samples);
        const float d = light.radius * std::sqrt(random.unit());
        target += s * (d * std::cos(a)) + t * (d * std::sin(a));
      }
      const vec3 ray = target - from;
      const float len = length(ray);
      ++rays;
      if (len > 0 && clear(from, ray / len, len))
        ++lit;
    }
    sum += light.colour * (irradiance * float(lit) / float(samples));
  }
  const int count = settings_.ambient_rays;
  if (count > 0 && dot(settings_.ambient, settings_.ambient) > 0) {
    // Cosine-weighted, one jittered ray per cell of a side x side grid.
    const int side = std::max(1, int(std::ceil(std::sqrt(float(count)))));
    vec3 s, t;
    frame_of(n, s, t);
    int open = 0;
    for (int k = 0; k < count; ++k) {
      const float u1 = (float(k % side) + random.unit()) / float(side);
      const float u2 = (float(k / side % side) + random.unit()) / float(side);
      const float rr = std::sqrt(u1), a = kTau * u2;
      const float up = std::sqrt(std::max(0.0f, 1 - u1));
      const vec3 dir = normalize(s * (rr * std::cos(a)) + t * (rr * std::sin(a)) + n * up);
      ++rays;
      if (clear(from, dir, settings_.ambient_reach))
        ++open;
    }
    sum += settings_.ambient * (float(open) / float(count));
  }
  return sum;
}

cImage cLightBaker::bake(size_t piece, int width, int height) {
  if (piece >= pieces_.size() || width <= 0 || height <= 0)
    throw std::runtime_error("bake of an unknown piece or an empty texture");
  if (!tree_.built)
    tree_.build();
  const std::vector<sBakeTexel> where = texels(pieces_[piece], width, height);
  std::vector<vec3> light(where.size());
  std::vector<uint8_t> covered(where.size());
  for (size_t i = 0; i < where.size(); ++i)
    covered[i] = where[i].covered;

  std::atomic<int> next_row{0};
  std::atomic<uint64_t> rays{0};
  const uint64_t piece_seed = cRandom(settings_.seed ^ (uint64_t(piece) << 32)).next();
  auto work = [&] {
    uint64_t mine = 0;
    for (int y = next_row++; y < height; y = next_row++)
      for (int x = 0; x < width; ++x) {
        const size_t i = size_t(y) * width + x;
        if (where[i].covered)
          light[i] = light_at(where[i], piece_seed + i * 0x9E3779B97F4A7C15ull, mine);
      }
    rays += mine;
  };
  unsigned threads = settings_.threads ? settings_.threads : std::thread::hardware_concurrency();
  threads = std::max(1u, std::min(threads, unsigned(height)));
  std::vector<std::thread> pool;
  for (unsigned k = 1; k < threads; ++k)
    pool.emplace_back(work);
  work();
  for (std::thread &t : pool)
    t.join();
  rays_ += rays;

  grow_into_gaps(light, covered, width, height, settings_.dilate);
  cImage out(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const vec3 &c = light[size_t(y) * width + x];
      out.set(x, y, rgba(c.x, c.y, c.z, 1));
    }
  return out;
}

void cLightBaker::grow_into_gaps(std::vector<vec3> &values, std::vector<uint8_t> &covered,
                                 int width, int height, int passes) {
  for (int pass = 0; pass < passes; ++pass) {
    std::vector<uint8_t> next = covered;
    bool grew = false;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const size_t i = size_t(y) * width + x;
        if (covered[i])
          continue;
        vec3 sum;
        int n = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= width || ny >= height)
              continue;
            const size_t j = size_t(ny) * width + nx;
            if (covered[j]) {
              sum += values[j];
              ++n;
            }
          }
        if (n > 0) {
          values[i] = sum / float(n);
          next[i] = 1;
          grew = true;
        }
      }
    covered.swap(next);
    if (!grew)
      break;
  }
}

std::vector<sBakeTexel> cLightBaker::texels(const cMesh &mesh, int width, int height) {
  std::vector<sBakeTexel> out(size_t(std::max(width, 0)) * size_t(std::max(height, 0)));
  if (out.empty() || !mesh.has_uvs())
    return out;
  const bool normals = mesh.has_normals();
  for (const sTriangle &tri : mesh.triangles) {
    float px[3], py[3];
    for (int k = 0; k < 3; ++k) {
      px[k] = mesh.uvs[tri.v[k]].x * float(width);
      py[k] = (1.0f - mesh.uvs[tri.v[k]].y) * float(height);
    }
    const float area = (px[1] - px[0]) * (py[2] - py[0]) - (px[2] - px[0]) * (py[1] - py[0]);
    if (std::fabs(area) < 1e-12f)
      continue;
    const int x0 = std::max(0, int(std::floor(std::min({px[0], px[1], px[2]}))));
    const int x1 = std::min(width - 1, int(std::ceil(std::max({px[0], px[1], px[2]}))));
    const int y0 = std::max(0, int(std::floor(std::min({py[0], py[1], py[2]}))));
    const int y1 = std::min(height - 1, int(std::ceil(std::max({py[0], py[1], py[2]}))));
    const vec3 face = normalize(mesh.face_normal(tri));
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const float cx = float(x) + 0.5f, cy = float(y) + 0.5f;
        const float b1 = ((cx - px[0]) * (py[2] - py[0]) - (px[2] - px[0]) * (cy - py[0])) / area;
        const float b2 = ((px[1] - px[0]) * (cy - py[0]) - (cx - px[0]) * (py[1] - py[0])) / area;
        const float b0 = 1 - b1 - b2;
        const float tol = -1e-5f;
        if (b0 < tol || b1 < tol || b2 < tol)
          continue;
        sBakeTexel &t = out[size_t(y) * width + x];
        t.position = mesh.positions[tri.v[0]] * b0 + mesh.positions[tri.v[1]] * b1 +
                     mesh.positions[tri.v[2]] * b2;
        vec3 n = face;
        if (normals) {
          n = normalize(mesh.normals[tri.v[0]] * b0 + mesh.normals[tri.v[1]] * b1 +
                        mesh.normals[tri.v[2]] * b2);
          if (length(n) == 0)
            n = face;
        }
        t.normal = n;
        t.covered = true;
      }
  }
  return out;
}
