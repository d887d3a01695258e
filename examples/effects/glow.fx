// The glow effect of the materials example: the diffuse texture, tinted and brightened.
float g_Glow = 0.75f;
float4 g_Tint = float4(1.0f, 0.5f, 0.2f, 1.0f);
texture g_Diffuse;
float4x4 g_WorldViewProjection : WORLDVIEWPROJECTION;

sampler DiffuseSampler = sampler_state {
  Texture = <g_Diffuse>;
  MinFilter = Linear;
  MagFilter = Linear;
};

struct VertexOutput {
  float4 position : POSITION;
  float2 uv : TEXCOORD0;
};

VertexOutput GlowVS(float4 position : POSITION, float2 uv : TEXCOORD0) {
  VertexOutput output;
  output.position = mul(position, g_WorldViewProjection);
  output.uv = uv;
  return output;
}

float4 GlowPS(VertexOutput input) : COLOR {
  return tex2D(DiffuseSampler, input.uv) * g_Tint * (1.0f + g_Glow);
}

technique Glow {
  pass P0 {
    VertexShader = compile vs_2_0 GlowVS();
    PixelShader = compile ps_2_0 GlowPS();
  }
}
