<!DOCTYPE PickedPoints>
 <DocumentData>
  <DateTime time="10:12:01" date="2024-03-05"/>
  <User name="digitiser"/>
  <DataFileName name="skull07.ply"/>
  <templateName name=""/>
 </DocumentData>
 <point x="10.5" y="2.25" z="-3" active="1" name="Nasion"/>
 <point x="12" y="40.125" z="8.5" active="1" name="Bregma"/>
 <point x="-30.75" y="38" z="9.25" active="1" name="Lambda"/>
 <point x="-45.5" y="-5" z="2" active="1" name="Opisthion"/>
 <point x="-20" y="-12.5" z="-6.75" active="1" name="Basion"/>
