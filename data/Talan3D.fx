// Talan3D.fx: the viewer's shading, GLSL 3.30.
//
// Surfaces and blocks are lit by the two light directions (the key light and its
// mirror for fill) and scaled by AmbientIntensity; both sides of a surface are lit,
// because the winding of triangulated surfaces varies from file to file. Smoothed
// normals are shorter than 1 where they average different faces: they are made
// unit length again per pixel. Lines, drill holes and points carry no normal and
// show their own colour.

@common
uniform mat4 World;
uniform mat4 View;
uniform mat4 Projection;
uniform vec4 vLightDir[2];
uniform vec4 vLightColor[2];
uniform float AmbientIntensity;

@technique Render
@pass P0
@vertex
in vec3 POSITION;
in vec3 NORMAL;
in vec4 COLOR;
out vec3 worldNormal;
out vec4 vertexColour;

void main()
{
    gl_Position = Projection * View * World * vec4(POSITION, 1.0);
    worldNormal = mat3(World) * NORMAL;
    vertexColour = COLOR;
}

@fragment
in vec3 worldNormal;
in vec4 vertexColour;
out vec4 fragmentColour;

void main()
{
    float normalLength = length(worldNormal);
    if (normalLength < 1e-6) {
        // Lines, drill holes and points: their own colour.
        fragmentColour = vec4(vertexColour.rgb, 1.0);
        return;
    }
    vec3 n = worldNormal / normalLength;
    float key = abs(dot(n, normalize(vLightDir[0].xyz + vec3(0.0, 0.0, 1e-9))));
    float fill = abs(dot(n, normalize(vLightDir[1].xyz + vec3(0.0, 0.0, 1e-9))));
    float light = AmbientIntensity * (0.3 + 0.7 * key + 0.15 * fill);
    vec3 coloured = vertexColour.rgb * light + vLightColor[0].rgb * key + vLightColor[1].rgb * fill;
    fragmentColour = vec4(min(coloured, vec3(1.0)), 1.0);
}
