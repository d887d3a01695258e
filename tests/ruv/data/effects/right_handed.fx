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
float3 lightDirection = { 0, 0, 1 }; 

float4 DiffuseColor  = { 0.500000f, 0.250000f, 1.000000f, 1.000000f }; 
float  SpecularPower = 100.000000f; 
float4 SpecularColor = { 1.000000f, 1.000000f, 1.000000f, 1.000000f }; 
float4 EmissiveColor = { 0.000000f, 0.000000f, 0.750000f, 1.000000f }; 

texture Tiles_normal; 
texture Gloss; 

sampler2D Tiles_normalSampler = sampler_state  // TexCoord2 
{ 
   Texture = <Tiles_normal>; 
   MinFilter = Linear; 
   MagFilter = Linear; 
   MipFilter = Linear; 
   AddressU  = Wrap;     
   AddressV  = Mirror;     
}; 

sampler2D GlossSampler = sampler_state  // TexCoord0 
{ 
   Texture = <Gloss>; 
   MinFilter = Linear; 
   MagFilter = Linear; 
   MipFilter = Linear; 
   AddressU  = Clamp;     
   AddressV  = Clamp;     
}; 

struct VS_INPUT 
{ 
   float4 Position  : POSITION; 
   float2 TexCoord0 : TEXCOORD0;
   float2 TexCoord2 : TEXCOORD2;
   float3 N         : NORMAL;
   float3 T         : TANGENT;
   float3 B         : BINORMAL;
}; 

struct VS_OUTPUT 
{ 
   float4 Position  : POSITION; 
   float2 TexCoord0 : TEXCOORD0;
   float2 TexCoord2 : TEXCOORD2;
   float3 LightTangentSpace : COLOR1;
}; 

VS_OUTPUT VS( VS_INPUT IN ) 
{ 
   //TODO: Modify the folowing code: 
   VS_OUTPUT OUT;	 
   float4 oPos = mul( mul( IN.Position, World ), View ); 
   OUT.Position = mul( oPos, Projection ); 
   OUT.TexCoord0.xy = IN.TexCoord0.xy; 
   OUT.TexCoord2.xy = IN.TexCoord2.xy; 
   float3x3 TBN = { IN.T, IN.B, IN.N };
   OUT.LightTangentSpace = mul( mul( TBN, (float3x3)World ), lightDirection );
   return OUT;
}; 

float4  PS( VS_OUTPUT vout ) : COLOR 
{ 
   //TODO: Modify the folowing code: 
   float4 color = DiffuseColor; 
   if(bLight) 
   { 
     float3 bumpNormal =  2 * tex2D( Tiles_normalSampler, vout.TexCoord2 ) - 1 ;
     bumpNormal.y = -bumpNormal.y;
     float3 LightVector1 = normalize(vout.LightTangentSpace);
     float bump = max(0, dot( bumpNormal, LightVector1 ));
     color.rgb = color.rgb * bump;
   } 
   if(bEmissiveColor)
     color.rgb += EmissiveColor.rgb;
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
