//TODO: Modify the folowing code: 

int GlobalParameter : SasGlobal 
< 
   int3 SasVersion = {1, 1, 0}; 
   string SasEffectDescription = "This is a sample effect"; 
   string SasEffectCompany = "Kavo"; 
>; 

float4x4 World      : WORLD <string SasBindAddress = "Sas.Skeleton.MeshToJointToWorld[0]";>; 
float4x4 View       : VIEW <string SasBindAddress = "Sas.Camera.WorldToView";>; 
float4x4 Projection : PROJECTION <string SasBindAddress = "Sas.Camera.Projection";>; 

bool bEmissiveColor = true; 
bool bLight = true; 
float3 lightDirection = { 0, 0, -1 }; 

float4 DiffuseColor  = { 0.800000f, 0.600000f, 0.400000f, 0.500000f }; 
float  SpecularPower = 40.000000f; 
float4 SpecularColor = { 0.250000f, 0.250000f, 0.250000f, 0.500000f }; 
float4 EmissiveColor = { 0.200000f, 0.000000f, 0.000000f, 0.500000f }; 

texture Bricks; 
texture Bricks_normal; 

sampler2D BricksSampler = sampler_state  // TexCoord0 
{ 
   Texture = <Bricks>; 
   MinFilter = Linear; 
   MagFilter = Linear; 
   MipFilter = Linear; 
   AddressU  = Wrap;     
   AddressV  = Wrap;     
}; 

sampler2D Bricks_normalSampler = sampler_state  // TexCoord1 
{ 
   Texture = <Bricks_normal>; 
   MinFilter = Linear; 
   MagFilter = Linear; 
   MipFilter = Linear; 
   AddressU  = Clamp;     
   AddressV  = Mirror;     
}; 

struct VS_INPUT 
{ 
   float4 Position  : POSITION; 
   float2 TexCoord0 : TEXCOORD0;
   float2 TexCoord1 : TEXCOORD1;
   float3 N         : NORMAL;
   float3 T         : TANGENT;
   float3 B         : BINORMAL;
   float4 VertexColor : COLOR0;
}; 

struct VS_OUTPUT 
{ 
   float4 Position  : POSITION; 
   float2 TexCoord0 : TEXCOORD0;
   float2 TexCoord1 : TEXCOORD1;
   float4 VertexColor : COLOR0;
   float3 LightTangentSpace : COLOR1;
}; 

VS_OUTPUT VS( VS_INPUT IN ) 
{ 
   //TODO: Modify the folowing code: 
   VS_OUTPUT OUT;	 
   float4 oPos = mul( mul( IN.Position, World ), View ); 
   OUT.Position = mul( oPos, Projection ); 
   OUT.VertexColor = IN.VertexColor; 
   OUT.TexCoord0.xy = IN.TexCoord0.xy; 
   OUT.TexCoord1.xy = IN.TexCoord1.xy; 
   float3x3 TBN = { IN.T, IN.B, IN.N };
   OUT.LightTangentSpace = mul( mul( TBN, (float3x3)World ), lightDirection );
   return OUT;
}; 

float4  PS( VS_OUTPUT vout ) : COLOR 
{ 
   //TODO: Modify the folowing code: 
   float4 color = tex2D( BricksSampler, vout.TexCoord0 ); 
   color = color * DiffuseColor; 
   if(bLight) 
   { 
     float3 bumpNormal =  2 * tex2D( Bricks_normalSampler, vout.TexCoord1 ) - 1 ;
     float3 LightVector1 = normalize(vout.LightTangentSpace);
     float bump = max(0, dot( bumpNormal, LightVector1 ));
     color.rgb = color.rgb * bump;
   } 
   if(bEmissiveColor)
     color.rgb += EmissiveColor.rgb;
   color.rgb = vout.VertexColor.rgb * vout.VertexColor.a + color.rgb * ( 1.0f - vout.VertexColor.a );
   return  color; 
}; 

technique DefaultTechnique 
{ 
   pass p0 
   { 
      VertexShader = compile vs_3_0  VS(); 
      PixelShader  = compile ps_3_0  PS(); 
   } 
} 
