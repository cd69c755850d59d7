#include "navigation/Agent.h"

#include <algorithm>
#include <cmath>

#include "core/Drawable.h"
#include "core/Graph.h"
#include "core/RandomGenerator.h"
#include "core/RenderContext.h"

namespace {

// Below this distance (metres) the agent stands on its look point: there is
// no direction to step in, so it counts as arrived.
constexpr float kOnPoint = 1e-5f;

float squaredDistance(const Vector& a, const Vector& b) {
    const Vector d = a - b;
    return d.dot(d);
}

Vec2 horizontal(const Vector& v) {
    const Vec2 h(v.x, v.z);
    const float length = h.length();
    return length > 0 ? h * (1.0f / length) : Vec2();
}

}  // namespace

Agent::Agent() : body(Poly(), Extrusion(), 0, static_cast<const char*>(nullptr)) {}

Agent::~Agent() { setNodes(nullptr, nullptr); }

void Agent::setNodes(GraphNode* previous, GraphNode* current) {
    for (GraphNode* old : {previous_, current_})
        if (old && old != previous && old != current)
            old->unwatch(this);
    previous_ = previous;
    current_ = current;
    if (previous_)
        previous_->watch(this);
    if (current_)
        current_->watch(this);
    if (current_)
        wasPlaced_ = true;
}

void Agent::nodeReleased(GraphNode* node) {
    if (previous_ == node)
        previous_ = nullptr;
    if (current_ == node)
        current_ = nullptr;
}

void Agent::start(Drawable* root, const Vector& from, const Vector& direction, bool nearest) {
    Graph* graph = root ? root->navigationPatch() : nullptr;
    if (!graph)
        return;
    GraphNode* first = nullptr;
    for (const auto& n : graph->nodes())
        if (!n->neighbours.empty()) {
            first = n.get();
            break;
        }
    if (!first) {
        setNodes(nullptr, nullptr);
        return;
    }

    RandomGenerator& random = RandomGenerator::navigation();
    GraphNode* at = first;
    GraphNode* chosen = first;
    float best = squaredDistance(first->position, from);
    for (int move = 0; move < kStartMoves; ++move) {
        if (nearest) {
            const float d = squaredDistance(at->position, from);
            if (d < best) {
                best = d;
                chosen = at;
            }
        }
        if (!nearest)
            chosen = at;
        // Edges are symmetric, so a node reached by an edge has a neighbour.
        at = at->neighbours[static_cast<size_t>(random.next()) % at->neighbours.size()];
    }

    setNodes(chosen, chosen);
    if (nearest) {
        heading = direction.normalized();
    } else {
        const float x = static_cast<float>(2 * random.uniform() - 1);
        const float z = static_cast<float>(2 * random.uniform() - 1);
        heading = Vector(x, 0, z).normalized();
    }
    position = chosen->position;
    turnFrames = turnCounter = 0;
    chooseNext();
    updateBody();
}

bool Agent::replace(Drawable* root) {
    start(root, position, heading, true);
    if (!placed())
        return false;
    ++replacements;
    return true;
}

void Agent::chooseNext() {
    if (!current_ || current_->neighbours.empty())
        return;
    GraphNode* next = nullptr;
    float best = -1e30f;
    for (GraphNode* n : current_->neighbours) {
        if (n == previous_ && previous_ != current_)
            continue;
        const Vec2 towards = horizontal(n->position - position);
        const float d = heading.x * towards.x + heading.z * towards.y;
        if (d > best) {
            best = d;
            next = n;
        }
    }
    // A dead end: the only way on is back.
    if (!next)
        next = previous_;
    setNodes(current_, next);
    lookPoint = next->position;
    const Vector towards = lookPoint - position;
    if (towards.length() > kOnPoint)
        heading = towards.normalized();
}

void Agent::step(RenderContext& ctx, const Drawable* obstacles) {
    if (!current_ || !(speed > 0))
        return;
    if (turnCounter < turnFrames) {
        ++turnCounter;
        if (turnCounter < turnFrames) {
            const float angle = static_cast<float>(turnCounter) * turnStep;
            const float c = std::cos(angle), s = std::sin(angle);
            lookPoint = position + Vector(stepVector.x * c - stepVector.z * s, stepVector.y,
                                          stepVector.x * s + stepVector.z * c);
        } else {
            lookPoint = turnTarget;
        }
        return;
    }

    const Vector towards = lookPoint - position;
    const float distance = towards.length();
    if (distance > kOnPoint) {
        stepVector = towards * (speed / distance);
        position = position + stepVector;
        const Vector proposed = position + stepVector;
        // Blocked, it creeps one step a frame. It still arrives once it has
        // crept onto its node: skipping the test there would carry it past
        // the node, turn it about and swing it to and fro round it for ever.
        if (!obstacles || !obstacles->collides(position, proposed))
            position = proposed;
    }
    if ((lookPoint - position).dot(heading) < speed)
        arrive(ctx);
    updateBody();
}

void Agent::arrive(RenderContext& ctx) {
    // Stranded: the streets around the node went and left it alone. It would
    // stand on it for ever; dropping it lets the agent be placed again.
    if (current_->neighbours.empty()) {
        setNodes(previous_, nullptr);
        return;
    }
    ++nodesVisited;
    const Vector old = heading;
    stepVector = heading;
    chooseNext();
    turnTarget = lookPoint;

    const Vec2 o = horizontal(old), n = horizontal(heading);
    // An edge without horizontal extent (coincident or stacked nodes) has no
    // direction to turn from or to.
    if (o == Vec2() || n == Vec2()) {
        turnFrames = turnCounter = 0;
        return;
    }
    const float cosine = std::clamp(o.dot(n), -1.0f, 1.0f);
    const float angle = std::acos(cosine);
    turnFrames = static_cast<int32_t>(angle * kFramesPerRadian);
    if (turnFrames <= 0)
        return;
    turnCounter = 0;
    lookPoint = position + stepVector;
    // The sign swings the gaze the short way round from the old edge to the new one.
    turnStep = (o.y * n.x - o.x * n.y > 0 ? -angle : angle) / static_cast<float>(turnFrames);
    ++turns;
    if (steersDetail) {
        const float detail = ctx.detail() * kDetailFactor;
        if (detail > kDetailFloor)
            ctx.setDetail(detail);
    }
}

void Agent::updateBody() {
    const float x = position.x, z = position.z, w = kBodyHalfWidth;
    const Point corners[4] = {{x - w, z - w}, {x - w, z + w}, {x + w, z + w}, {x + w, z - w}};
    // In place: a step allocates nothing.
    body.poly.points().assign(std::begin(corners), std::end(corners));
    body.extrusion.level = position.y;
    body.extrusion.height = height;
}

RenderContext::Instance Agent::bodyInstance() const {
    RenderContext::Instance instance;
    instance.offset = Vector(position.x, body.extrusion.level, position.z);
    instance.heightScale = body.extrusion.height;
    return instance;
}

void Agent::drawBody(RenderContext& ctx) {
    if (placed())
        body.draw(ctx);
}
